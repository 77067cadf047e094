#include <gtest/gtest.h>

#include "app/cli/cli_session.h"
#include "app/cli/stream_errors.h"
#include "cli_test_support.h"
#include "midi/backends/virtual_midi.h"

namespace kvs {
namespace {

using test::RunArgs;
using test::RunOk;
using test::ScopedHome;

constexpr const char* kNoSettings = "No settings file found.  Using defaults.\n";

// One track: program 5 at time 0, then a note.
const std::string kProgramThenNote(
    "MThd\0\0\0\6\0\1\0\1\0\xC0MTrk\0\0\0\x0F\0\xC0\5\0\x90\x3C\x40\x60\x80\x3C\x40\0\xFF\x2F\0",
    37);

// The text of the first track line of a dump.
std::string TrackLine(const test::CliRun& run) {
    const std::size_t at = run.out.find("\ntrack 0 ");
    if (at == std::string::npos) return {};
    return run.out.substr(at + 1, run.out.find('\n', at + 1) - at - 1);
}

TEST(CliStartUp, FirstStartCreatesTheFilesAndSaysSoLaterStartsWriteOnlyChangedSettings) {
    ScopedHome home;
    const test::CliRun first = RunOk({"info", test::ExampleSongPath()});
    EXPECT_EQ(first.err, kNoSettings);
    EXPECT_TRUE(std::filesystem::exists(home.File("kvs.lng")));
    // A key the file lacks would come back with any write at all.
    std::string ini = test::ReadText(home.File("kvs.ini"));
    EXPECT_TRUE(test::Has(ini, "\r\n[ports]\r\n"));
    const std::size_t metronome = ini.find("\r\nmetronome=1\r\n");
    ASSERT_NE(metronome, std::string::npos);
    ini.erase(metronome, 13);
    test::WriteText(home.File("kvs.ini"), ini);

    for (const char* command : {"info", "dump"}) {
        const test::CliRun again = RunOk({command, test::ExampleSongPath()});
        EXPECT_TRUE(again.err.empty()) << again.err;
    }
    std::ostringstream err;
    EXPECT_EQ(CliSession(err).Finish(), kResultOk);
    EXPECT_EQ(test::ReadText(home.File("kvs.ini")), ini);
    CliSession changed(err);
    changed.CurrentSettings().general.scanInit = 2;
    EXPECT_EQ(changed.Finish(), kResultOk);
    EXPECT_TRUE(test::Has(test::ReadText(home.File("kvs.ini")), "\r\nScanInit=2\r\n"));
    EXPECT_TRUE(err.str().empty()) << err.str();
}

TEST(CliStartUp, StoredLoadSettingsApplyAndTheCommandLineOverridesThemForOneRun) {
    ScopedHome home("virtual");
    ASSERT_EQ(RunArgs({"settings"}).err, kNoSettings);
    const std::string song = home.File("program.mid");
    test::WriteText(song, kProgramThenNote);

    // Default: the program change at time 0 becomes the track's program.
    EXPECT_TRUE(test::Has(TrackLine(RunArgs({"dump", song})), " port=0 program=5 "));

    // Outputs are the virtual device then the built-in synthesizer.
    test::SetOption(home, "ScanInit", "3");
    test::SetOption(home, "defport", "KVS Synth_out");
    const std::string stored = TrackLine(RunArgs({"dump", song}));
    EXPECT_TRUE(test::Has(stored, " port=1 program=-1 ")) << stored;
    const std::string overridden =
        TrackLine(RunArgs({"dump", song, "--scan-init", "0", "--default-port", "0"}));
    EXPECT_TRUE(test::Has(overridden, " port=0 program=5 ")) << overridden;
    // The override lasted one run only.
    EXPECT_EQ(TrackLine(RunArgs({"dump", song})), stored);
    EXPECT_TRUE(test::Has(test::ReadText(home.File("kvs.ini")), "\r\nScanInit=3\r\n"));

    // A value the reader does not know scans nothing rather than failing.
    test::SetOption(home, "ScanInit", "9");
    EXPECT_EQ(TrackLine(RunArgs({"dump", song})), stored);
}

TEST(CliStartUp, PortNamesResolveThroughTheDevicesAndAliasesWithoutAsking) {
    ScopedHome home("virtual");
    RunArgs({"settings"});
    const std::string named = home.File("named.mid");
    RunOk(
        {"convert", test::ExampleSongPath(), named, "--out-ports", "Studio Alias,KVS Virtual Out"});
    auto ports = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"dump", named});
        const std::string out = RunOk(args).out;
        std::string found;
        for (std::size_t at = out.find("\ntrack "); at != std::string::npos;
             at = out.find("\ntrack ", at + 1)) {
            const std::size_t p = out.find(" port=", at) + 6;
            found += out.substr(p, out.find(' ', p) - p);
        }
        return found;
    };
    // No device and no alias of that name: the default port, and no question.
    EXPECT_EQ(ports({"--default-port", "1"}), "111");

    test::AddPortsLines(home, "Number=1\r\nname1=Studio Alias\r\ndev1=KVS Synth_out\r\n");
    EXPECT_EQ(ports({"--default-port", "0"}), "111");
    // Given names replace the devices for resolving: the first match wins,
    // case counts, an unknown name takes the default port.
    EXPECT_EQ(ports({"--out-ports", "X,Y,Studio Alias,Studio Alias"}), "222");
    EXPECT_EQ(ports({"--out-ports", "studio alias", "--default-port", "4"}), "444");

    // Saving names ports by the device table unless names are given.
    const std::string resaved = home.File("resaved.mid");
    RunOk({"convert", named, resaved});
    const std::string bytes = test::ReadText(resaved);
    EXPECT_TRUE(test::Has(bytes, "KVS Synth"));
    EXPECT_EQ(bytes.find("Studio Alias"), std::string::npos);
}

TEST(CliSettings, PrintsTheFolderAndEveryValueInEffectWithoutWritingTheFile) {
    ScopedHome home;
    const test::CliRun first = RunOk({"settings"});
    EXPECT_EQ(first.out.rfind("Data folder: " + home.File("") + "\n[OPTIONS]\ninitdelay = 0\n", 0),
              0u)
        << first.out;

    // Sections in the file's order; a bad value shows what is in effect; a key
    // of its own is kept; keys the file lacks show their defaults.
    test::WriteText(home.File("kvs.ini"),
                    "[ports]\r\nmine=kept\r\n[OPTIONS]\r\nScanInit=abc\r\nautoclean=1\r\n");
    const std::string before = test::ReadText(home.File("kvs.ini"));
    const test::CliRun r = RunOk({"settings"});
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_LT(r.out.find("[ports]\nmine = kept\n"), r.out.find("[OPTIONS]\n"));
    EXPECT_TRUE(test::Has(r.out, "\nScanInit = 0\n"));
    EXPECT_TRUE(test::Has(r.out, "\nautoclean = 1\n"));
    EXPECT_TRUE(test::Has(r.out, "\nmetronome = 1\n"));
    EXPECT_TRUE(test::Has(r.out, "[keycommand]\nK21 = 0\n"));
    EXPECT_EQ(test::ReadText(home.File("kvs.ini")), before);
}

// Replaces the text of the first line starting with key= (or removes the line).
void EditLanguageFile(const ScopedHome& home, const std::string& key, const char* text) {
    std::string lng = test::ReadText(home.File("kvs.lng"));
    const std::size_t at = lng.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    const std::size_t end = lng.find('\r', at + 1);
    if (text == nullptr) {
        lng.erase(at + 1, end + 1 - at);
    } else {
        lng.replace(at + 2 + key.size(), end - at - 2 - key.size(), text);
    }
    test::WriteText(home.File("kvs.lng"), lng);
}

// What the language file holds and how it is marked are the config tests'
// business; here: the command's words and exit codes, and errors in the
// file's texts.
TEST(CliPrompts, TestReportsMissingPromptsAndErrorsUseTheLanguageFilesTexts) {
    ScopedHome home;
    EXPECT_EQ(RunOk({"prompts", "--test"}).out, "All prompts are present in the language file\n");
    EditLanguageFile(home, "prompt_ok", nullptr);
    EXPECT_EQ(RunOk({"prompts", "--test"}).out,
              "Some prompts are missing in the language file. Please check the file newkvs.lng\n");
    std::filesystem::remove(home.File("newkvs.lng"));
    std::filesystem::create_directory(home.File("newkvs.lng"));
    test::WriteText(home.File("newkvs.lng/keep"), "x");
    const test::CliRun unwritable = RunArgs({"prompts", "--test"});
    EXPECT_EQ(unwritable.status, kExitFileError);
    EXPECT_TRUE(test::Has(unwritable.err, "newkvs.lng"));

    EditLanguageFile(home, "error_invalidfile", "Datei kaputt");
    EditLanguageFile(home, "error_openmidiout", "MIDI OUT %s geht nicht");
    const std::string bad = home.File("bad.mid");
    test::WriteText(bad, "MThd");
    EXPECT_EQ(RunArgs({"info", bad}).err, "kvs-cli: " + bad + ": Datei kaputt\n");

    std::ostringstream err;
    CliSession session(err);
    VirtualMidiLayer layer({}, {"Broken"});
    layer.Output(0).SetFailOpen(true);
    MidiDeviceTable table(layer);
    table.SetPrompts(&session.Prompts());
    table.EnumerateMidiDevices();
    StreamErrors errors(err);
    EXPECT_FALSE(table.OpenMidiDevices(errors));
    EXPECT_EQ(err.str(), "kvs-cli: MIDI OUT Broken geht nicht\n");
}

TEST(CliPorts, ListsEveryDeviceWithItsNamesEnableFlagAndOpenState) {
    ScopedHome home("virtual");
    RunArgs({"settings"});
    test::AddPortsLines(home,
                        "KVS Virtual Out_out_name=Desk \"Left\"\r\nKVS Virtual In_in_enable=0\r\n");

    const test::CliRun r = RunOk({"ports"});
    const std::string expected =
        "MIDI IN\n"
        "  0  system=\"KVS Virtual In\"  friendly=\"KVS Virtual In\"  disabled  closed\n"
        "MIDI OUT\n"
        "  0  system=\"KVS Virtual Out\"  friendly=\"Desk \\\"Left\\\"\"  enabled  open\n"
        "  1  system=\"KVS Synth\"  friendly=\"KVS Synth\"  enabled  ";
    EXPECT_EQ(r.out.rfind(expected, 0), 0u) << r.out;

    ScopedHome none("none");
    const test::CliRun empty = RunArgs({"ports"});
    EXPECT_EQ(empty.out.rfind("MIDI IN\n  (none)\nMIDI OUT\n  0  system=\"KVS Synth\"", 0), 0u)
        << empty.out;
}

}  // namespace
}  // namespace kvs
