#include "config/file_types.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "config_test_support.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

class ScriptedQuestion : public FileTypeQuestion {
  public:
    bool AskYesNo(const std::string& text) override {
        asked.push_back(text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<bool> answers;
    std::vector<std::string> asked;
};

class Desktop : public test::TempFolder {
  public:
    Desktop() {
        roots.dataHome = Path("data");
        roots.configHome = Path("config");
    }
    FileTypeOutcome Register(const std::string& program = "/opt/kvs/bin/kvs",
                             const FileTypeTexts& texts = {}) {
        return RegisterFileTypes(
            program, texts, roots, question,
            [this](const std::vector<std::string>& argv) { tools.push_back(argv); });
    }

    FileTypeRoots roots;
    ScriptedQuestion question;
    std::vector<std::vector<std::string>> tools;
};

const char kQuestionMid[] =
    "The file type .mid is registered with another program.  Do you want to use KVS instead to "
    "open these files?";

TEST(FileTypeRegistration, FreshDesktopGetsEntryTypesAndBindingsWithoutAQuestion) {
    Desktop desktop;
    const FileTypeOutcome outcome = desktop.Register();
    EXPECT_TRUE(outcome.typesWritten);
    EXPECT_TRUE(outcome.midBound);
    EXPECT_TRUE(outcome.syxBound);
    EXPECT_TRUE(desktop.question.asked.empty());

    EXPECT_EQ(desktop.Read("data/applications/kavelsong.desktop"),
              "[Desktop Entry]\nType=Application\nName=Kavelsong\nIcon=kavelsong\n"
              "Exec=/opt/kvs/bin/kvs %f\nTerminal=false\n"
              "Categories=AudioVideo;Audio;Midi;Sequencer;\n"
              "MimeType=audio/midi;application/x-sysex;\nActions=Open;Play;\n"
              "\n[Desktop Action Open]\nName=Open\nExec=/opt/kvs/bin/kvs %f\n"
              "\n[Desktop Action Play]\nName=Play\nExec=/opt/kvs/bin/kvs /p /q %f\n");
    EXPECT_EQ(desktop.Read("data/mime/packages/kavelsong.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
              "  <mime-type type=\"audio/midi\">\n    <comment>MIDI File</comment>\n"
              "    <glob pattern=\"*.mid\"/>\n  </mime-type>\n"
              "  <mime-type type=\"application/x-sysex\">\n"
              "    <comment>System Exclusive File</comment>\n"
              "    <glob pattern=\"*.syx\"/>\n  </mime-type>\n</mime-info>\n");
    EXPECT_EQ(desktop.Read("config/mimeapps.list"),
              "[Default Applications]\naudio/midi=kavelsong.desktop;\n"
              "application/x-sysex=kavelsong.desktop;\n\n"
              "[Added Associations]\naudio/midi=kavelsong.desktop;\n"
              "application/x-sysex=kavelsong.desktop;\n");
    EXPECT_EQ(desktop.tools,
              (std::vector<std::vector<std::string>>{
                  {"update-mime-database", desktop.roots.dataHome + "/mime"},
                  {"update-desktop-database", desktop.roots.dataHome + "/applications"}}));

    // A second run finds both types already bound and asks nothing.
    const std::string before = desktop.Read("config/mimeapps.list");
    EXPECT_TRUE(desktop.Register().midBound);
    EXPECT_TRUE(desktop.question.asked.empty());
    EXPECT_EQ(desktop.Read("config/mimeapps.list"), before);
}

TEST(FileTypeRegistration, AsksBeforeTakingATypeFromAnotherProgram) {
    Desktop desktop;
    desktop.Write("config/mimeapps.list",
                  "# chosen by the file manager\n[Default Applications]\n"
                  "audio/midi=player.desktop;\n"
                  "application/x-sysex= librarian.desktop ;other.desktop\n"
                  "text/plain=editor.desktop;\n\n[Added Associations]\n"
                  "application/x-sysex=librarian.desktop;kavelsong.desktop;\n");
    desktop.question.answers = {false, true};
    const FileTypeOutcome outcome = desktop.Register();

    ASSERT_EQ(desktop.question.asked.size(), 2u);
    EXPECT_EQ(desktop.question.asked[0], kQuestionMid);
    EXPECT_NE(desktop.question.asked[1].find("The file type .syx is"), std::string::npos);
    // No for ".mid" still leaves the program's own types registered.
    EXPECT_TRUE(outcome.typesWritten);
    EXPECT_FALSE(outcome.midBound);
    EXPECT_TRUE(outcome.syxBound);
    EXPECT_TRUE(fs::exists(desktop.roots.dataHome + "/applications/kavelsong.desktop"));
    EXPECT_EQ(desktop.Read("config/mimeapps.list"),
              "# chosen by the file manager\n[Default Applications]\n"
              "audio/midi=player.desktop;\napplication/x-sysex=kavelsong.desktop;\n"
              "text/plain=editor.desktop;\n\n[Added Associations]\n"
              "application/x-sysex=kavelsong.desktop;librarian.desktop;\n");
}

TEST(FileTypeRegistration, UsesTheLanguagesTextsSafely) {
    Desktop desktop;
    FileTypeTexts texts;
    texts.actionOpen = "&\u00D6ffnen";
    texts.actionPlay = "Spielen && Ende\n";
    texts.typeMid = "MIDI-Datei <Standard> & \"mehr\"\x01";
    texts.inUse = "%s geh\xC3\xB6rt einem anderen Programm (100%). %s?";
    desktop.Write("config/mimeapps.list", "[Default Applications]\naudio/midi=player.desktop;\n");
    desktop.question.answers = {false};
    desktop.Register("/opt/kvs/bin/kvs", texts);

    const std::string entry = desktop.Read("data/applications/kavelsong.desktop");
    EXPECT_NE(entry.find("[Desktop Action Open]\nName=\u00D6ffnen\n"), std::string::npos);
    EXPECT_NE(entry.find("[Desktop Action Play]\nName=Spielen & Ende\\n\n"), std::string::npos);
    EXPECT_NE(desktop.Read("data/mime/packages/kavelsong.xml")
                  .find("<comment>MIDI-Datei &lt;Standard&gt; &amp; &quot;mehr&quot;</comment>"),
              std::string::npos);
    ASSERT_EQ(desktop.question.asked.size(), 1u);
    EXPECT_EQ(desktop.question.asked[0], ".mid geh\xC3\xB6rt einem anderen Programm (100%). %s?");
}

TEST(FileTypeRegistration, ProgramPathIsQuotedOnlyWhenTheLauncherNeedsIt) {
    EXPECT_EQ(DesktopExec("/usr/bin/kvs", false), "/usr/bin/kvs %f");
    EXPECT_EQ(DesktopExec("/usr/bin/kvs", true), "/usr/bin/kvs /p /q %f");
    // Quoted, with the shell's specials escaped, then the backslashes doubled
    // once more for the key file; a literal percent sign is doubled.
    EXPECT_EQ(DesktopExec("/home/a b/$x\"q\\100%/kvs", true),
              "\"/home/a b/\\\\$x\\\\\"q\\\\\\\\100%%/kvs\" /p /q %f");
    EXPECT_EQ(DesktopExec("/home/x\ny/kvs", false), "");
    EXPECT_EQ(DesktopExec("", false), "");

    // A path no launcher could run writes nothing and binds nothing.
    Desktop desktop;
    const FileTypeOutcome outcome = desktop.Register("/tmp/bad\tpath/kvs");
    EXPECT_FALSE(outcome.typesWritten);
    EXPECT_FALSE(outcome.midBound);
    EXPECT_FALSE(fs::exists(desktop.roots.configHome + "/mimeapps.list"));
}

TEST(FileTypeRegistration, UnwritableFoldersEndQuietly) {
    Desktop desktop;
    desktop.Write("data", "a file where the folder should be");
    const FileTypeOutcome outcome = desktop.Register();
    EXPECT_FALSE(outcome.typesWritten);
    EXPECT_FALSE(outcome.midBound);
    EXPECT_TRUE(desktop.tools.empty());

    // The types are registered, but a binding that cannot be saved is not claimed.
    Desktop noConfig;
    noConfig.Write("config", "a file where the folder should be");
    const FileTypeOutcome unsaved = noConfig.Register();
    EXPECT_TRUE(unsaved.typesWritten);
    EXPECT_FALSE(unsaved.midBound);
    EXPECT_FALSE(unsaved.syxBound);
}

}  // namespace
}  // namespace kvs
