#include "config/language_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "config_test_support.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

class LanguageFileTest : public ::testing::Test, protected test::TempFolder {
  protected:
    // The "key=value" lines under [Prompts], line ends dropped.
    static std::vector<std::string> PromptLines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        std::string line;
        bool inSection = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.starts_with("[")) {
                inSection = line == "[Prompts]";
            } else if (inSection && line.find('=') != std::string::npos) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    std::string Lng() const { return Read("kvs.lng"); }
    const std::string lng_ = Path("kvs.lng");
    const std::string newLng_ = Path("newkvs.lng");
};

TEST_F(LanguageFileTest, FirstStartWritesEveryPromptAndSecondReadsThemBack) {
    PromptTable table;
    LoadPromptsResult first = LoadPrompts(table, lng_);
    EXPECT_TRUE(first.created);
    EXPECT_EQ(first.error, kResultOk);
    EXPECT_FALSE(first.message.has_value());

    const std::string text = Lng();
    std::vector<std::string> lines = PromptLines(text);
    ASSERT_EQ(lines.size(), kPromptCount);
    EXPECT_EQ(lines[13], "menu_file_open=&Open ...\tctrl+O");
    EXPECT_EQ(lines[824].substr(0, 19), "error_updateprompt=");
    EXPECT_NE(text.find("\r\n"), std::string::npos);

    PromptTable again;
    LoadPromptsResult second = LoadPrompts(again, lng_);
    EXPECT_FALSE(second.created);
    EXPECT_EQ(second.taken, kPromptCount);
    for (std::size_t i = 0; i < kPromptCount; ++i) {
        EXPECT_EQ(again.Text(i), kBuiltinPrompts[i].text) << kBuiltinPrompts[i].key;
    }
    EXPECT_EQ(Lng(), text);  // reading never rewrites the file
}

TEST_F(LanguageFileTest, OneTranslationLeavesTheRestEnglishAndTheTestMarksTheRest) {
    Write("kvs.lng", "[Prompts]\r\nmenu_file_open=&Ouvrir ...\tctrl+O\r\n");
    PromptTable table;
    LoadPromptsResult loaded = LoadPrompts(table, lng_);
    EXPECT_FALSE(loaded.created);
    EXPECT_EQ(table.Text(prompt::menu_file_open), "&Ouvrir ...\tctrl+O");
    EXPECT_EQ(table.Text(prompt::menu_file_save), kBuiltinPrompts[prompt::menu_file_save].text);

    Write("newkvs.lng", "stale text that must go\r\n[Other]\r\nx=1\r\n");
    TestPromptsResult tested = TestPromptFile(table, lng_, newLng_);
    EXPECT_FALSE(tested.allPresent);
    EXPECT_EQ(tested.missing, kPromptCount - 1);
    EXPECT_EQ(tested.error, kResultOk);
    EXPECT_EQ(tested.message.text,
              "Some prompts are missing in the language file. Please check the file newkvs.lng");
    EXPECT_EQ(tested.message.icon, PromptMessage::Icon::Information);

    const std::string out = Read("newkvs.lng");
    EXPECT_TRUE(out.starts_with("; Prompt file for KVS - Kavelsong\r\n\r\n[Prompts]\r\n"))
        << out.substr(0, 80);
    EXPECT_EQ(out.find("stale"), std::string::npos);
    std::vector<std::string> lines = PromptLines(out);
    ASSERT_EQ(lines.size(), kPromptCount);
    for (std::size_t i = 0; i < kPromptCount; ++i) {
        const std::string key(kBuiltinPrompts[i].key);
        EXPECT_EQ(lines[i], i == prompt::menu_file_open
                                ? "menu_file_open=&Ouvrir ...\tctrl+O"
                                : key + "=###" + std::string(kBuiltinPrompts[i].text));
    }
}

TEST_F(LanguageFileTest, CompleteFilePassesTheTestAndUnwritableOrUnreadableFilesAreReported) {
    PromptTable table;
    LoadPrompts(table, lng_);
    TestPromptsResult tested = TestPromptFile(table, lng_, newLng_);
    EXPECT_TRUE(tested.allPresent);
    EXPECT_EQ(tested.missing, 0u);
    EXPECT_EQ(tested.message.text, "All prompts are present in the language file");
    EXPECT_EQ(tested.message.icon, PromptMessage::Icon::Information);
    EXPECT_FALSE(fs::exists(newLng_));

    Write("kvs.lng", "[Prompts]\r\nok=Bien\r\n");
    LoadPrompts(table, lng_);
    tested = TestPromptFile(table, lng_, Path("no-such-folder/newkvs.lng"));
    EXPECT_NE(tested.error, kResultOk);
    EXPECT_EQ(tested.message.text, "An error occurred updating the language prompt file");
    EXPECT_EQ(tested.message.icon, PromptMessage::Icon::Exclamation);

    // An unwritable or unreadable file leaves the built-in texts.
    PromptTable fresh;
    LoadPromptsResult missingFolder = LoadPrompts(fresh, Path("gone/kvs.lng"));
    EXPECT_FALSE(missingFolder.created);
    EXPECT_NE(missingFolder.error, kResultOk);
    EXPECT_EQ(fresh.Text(prompt::menu_file_open), "&Open ...\tctrl+O");

    fs::create_directory(Path("adir.lng"));
    LoadPromptsResult directory = LoadPrompts(fresh, Path("adir.lng"));
    EXPECT_NE(directory.error, kResultOk);
    EXPECT_EQ(fresh.Text(prompt::ok), "OK");
}

TEST_F(LanguageFileTest, PresentEmptyValueIsTakenAndLongValueIsCut) {
    const std::string longText(1500, 'w');
    Write("kvs.lng", "[Prompts]\r\nmenu_file_open=\r\ncancel=" + longText +
                         "\r\nerror_badvalue=Wert  mit\tTab & 100% \"Zeichen\"\r\n");
    PromptTable table;
    LoadPrompts(table, lng_);
    EXPECT_EQ(table.Text(prompt::menu_file_open), "");
    EXPECT_EQ(table.Text(prompt::cancel), std::string(kPromptMaxText, 'w'));
    EXPECT_EQ(table.Text(prompt::error_badvalue), "Wert  mit\tTab & 100% \"Zeichen\"");
    EXPECT_EQ(table.Text(prompt::ok), "OK");
}

TEST_F(LanguageFileTest, PoolOverflowKeepsLaterBuiltInTextsAndShowsTheFilesMessage) {
    // 80 texts of 999 characters need 80000 bytes: the 80th no longer fits.
    std::string file = "[Prompts]\r\n";
    for (std::size_t i = 0; i < kPromptCount; ++i) {
        std::string key(kBuiltinPrompts[i].key);
        if (i == prompt::error_promptstoobig) {
            file += key + "=Zu gross\r\n";
        } else {
            file += key + "=" + std::string(i < 100 ? 999 : 1, 'a' + static_cast<char>(i % 26)) +
                    "\r\n";
        }
    }
    Write("kvs.lng", file);
    PromptTable table;
    LoadPromptsResult loaded = LoadPrompts(table, lng_);
    EXPECT_EQ(loaded.taken, 79u);
    ASSERT_TRUE(loaded.message.has_value());
    EXPECT_EQ(loaded.message->text, "Zu gross");
    EXPECT_EQ(loaded.message->icon, PromptMessage::Icon::Exclamation);
    EXPECT_EQ(table.Text(std::size_t{78}), std::string(999, 'a' + 78 % 26));
    for (std::size_t i = 79; i < kPromptCount; ++i) {
        EXPECT_EQ(table.Text(i), kBuiltinPrompts[i].text) << kBuiltinPrompts[i].key;
    }

    // Without a translated message the built-in one is shown.
    file = "[Prompts]\r\n";
    for (std::size_t i = 0; i < 90; ++i)
        file += std::string(kBuiltinPrompts[i].key) + "=" + std::string(1023, 'z') + "\r\n";
    Write("kvs.lng", file);
    loaded = LoadPrompts(table, lng_);
    ASSERT_TRUE(loaded.message.has_value());
    EXPECT_EQ(loaded.message->text, "The language prompt file is too large to load.");
}

}  // namespace
}  // namespace kvs
