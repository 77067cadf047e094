#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#include "app/cli/cli_session.h"
#include "app/cli/stream_errors.h"
#include "cli_test_support.h"
#include "midi/backends/virtual_midi.h"

namespace kvs {
namespace {

using test::RunArgs;
using test::ScopedHome;

constexpr const char* kNoSettings = "No settings file found.  Using defaults.\n";

// One track: program 5 at time 0, then a note.
std::vector<std::uint8_t> ProgramThenNote() {
    return {'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,    1,    0,    1,    0,
            0xC0, 'M',  'T',  'r',  'k',  0,    0,    0,    15,   0x00, 0xC0, 0x05, 0x00,
            0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
}

// The text of the first track line of a dump.
std::string TrackLine(const test::CliRun& run) {
    const std::size_t at = run.out.find("\ntrack 0 ");
    if (at == std::string::npos) return {};
    return run.out.substr(at + 1, run.out.find('\n', at + 1) - at - 1);
}

TEST(CliStartUp, FirstStartCreatesTheFilesAndSaysSoLaterStartsWriteOnlyChangedSettings) {
    ScopedHome home;
    const test::CliRun first = RunArgs({"info", test::ExampleSongPath()});
    EXPECT_EQ(first.status, kExitOk);
    EXPECT_EQ(first.err, kNoSettings);
    EXPECT_TRUE(std::filesystem::exists(home.File("kvs.lng")));
    // A key the file lacks would come back with any write at all.
    std::string ini = test::ReadText(home.File("kvs.ini"));
    EXPECT_NE(ini.find("\r\n[ports]\r\n"), std::string::npos);
    const std::size_t metronome = ini.find("\r\nmetronome=1\r\n");
    ASSERT_NE(metronome, std::string::npos);
    ini.erase(metronome, 13);
    test::WriteText(home.File("kvs.ini"), ini);

    for (const char* command : {"info", "dump"}) {
        const test::CliRun again = RunArgs({command, test::ExampleSongPath()});
        EXPECT_EQ(again.status, kExitOk);
        EXPECT_TRUE(again.err.empty()) << again.err;
    }
    std::ostringstream err;
    {
        CliSession unchanged(err);
        EXPECT_EQ(unchanged.Finish(), kResultOk);
    }
    EXPECT_EQ(test::ReadText(home.File("kvs.ini")), ini);
    {
        CliSession changed(err);
        changed.CurrentSettings().general.scanInit = 2;
        EXPECT_EQ(changed.Finish(), kResultOk);
    }
    EXPECT_NE(test::ReadText(home.File("kvs.ini")).find("\r\nScanInit=2\r\n"), std::string::npos);
    EXPECT_TRUE(err.str().empty()) << err.str();
}

TEST(CliStartUp, StoredLoadSettingsApplyAndTheCommandLineOverridesThemForOneRun) {
    ScopedHome home("virtual");
    ASSERT_EQ(RunArgs({"settings"}).err, kNoSettings);
    const std::string song = home.File("program.mid");
    test::WriteBytes(song, ProgramThenNote());

    // Default: the program change at time 0 becomes the track's program.
    EXPECT_NE(TrackLine(RunArgs({"dump", song})).find(" port=0 program=5 "), std::string::npos);

    // Outputs are the virtual device then the built-in synthesizer.
    test::SetOption(home, "ScanInit", "3");
    test::SetOption(home, "defport", "KVS Synth_out");
    const std::string stored = TrackLine(RunArgs({"dump", song}));
    EXPECT_NE(stored.find(" port=1 program=-1 "), std::string::npos) << stored;
    const std::string overridden =
        TrackLine(RunArgs({"dump", song, "--scan-init", "0", "--default-port", "0"}));
    EXPECT_NE(overridden.find(" port=0 program=5 "), std::string::npos) << overridden;
    // The override lasted one run only.
    EXPECT_EQ(TrackLine(RunArgs({"dump", song})), stored);
    EXPECT_NE(test::ReadText(home.File("kvs.ini")).find("\r\nScanInit=3\r\n"), std::string::npos);

    // A value the reader does not know scans nothing rather than failing.
    test::SetOption(home, "ScanInit", "9");
    EXPECT_EQ(TrackLine(RunArgs({"dump", song})), stored);
}

TEST(CliStartUp, PortNamesResolveThroughTheDevicesAndAliasesWithoutAsking) {
    ScopedHome home("virtual");
    RunArgs({"settings"});
    const std::string named = home.File("named.mid");
    ASSERT_EQ(RunArgs({"convert", test::ExampleSongPath(), named, "--out-ports",
                       "Studio Alias,KVS Virtual Out"})
                  .status,
              kExitOk);
    auto ports = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"dump", named};
        args.insert(args.end(), extra.begin(), extra.end());
        const test::CliRun r = RunArgs(args);
        EXPECT_EQ(r.status, kExitOk) << r.err;
        std::string found;
        for (std::size_t at = r.out.find("\ntrack "); at != std::string::npos;
             at = r.out.find("\ntrack ", at + 1)) {
            const std::size_t p = r.out.find(" port=", at) + 6;
            found += r.out.substr(p, r.out.find(' ', p) - p);
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
    ASSERT_EQ(RunArgs({"convert", named, resaved}).status, kExitOk);
    const std::string bytes = test::ReadText(resaved);
    EXPECT_NE(bytes.find("KVS Synth"), std::string::npos);
    EXPECT_EQ(bytes.find("Studio Alias"), std::string::npos);
}

TEST(CliSettings, PrintsTheFolderAndEveryValueInEffectWithoutWritingTheFile) {
    ScopedHome home;
    const test::CliRun first = RunArgs({"settings"});
    EXPECT_EQ(first.status, kExitOk);
    EXPECT_EQ(first.out.rfind("Data folder: " + home.File("") + "\n[OPTIONS]\ninitdelay = 0\n", 0),
              0u)
        << first.out;

    // Sections in the file's order; a bad value shows what is in effect; a key
    // of its own is kept; keys the file lacks show their defaults.
    test::WriteText(home.File("kvs.ini"),
                    "[ports]\r\nmine=kept\r\n[OPTIONS]\r\nScanInit=abc\r\nautoclean=1\r\n");
    const std::string before = test::ReadText(home.File("kvs.ini"));
    const test::CliRun r = RunArgs({"settings"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_LT(r.out.find("[ports]\nmine = kept\n"), r.out.find("[OPTIONS]\n"));
    EXPECT_NE(r.out.find("\nScanInit = 0\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nautoclean = 1\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nmetronome = 1\n"), std::string::npos);
    EXPECT_NE(r.out.find("[keycommand]\nK21 = 0\n"), std::string::npos);
    EXPECT_EQ(test::ReadText(home.File("kvs.ini")), before);
}

TEST(CliPrompts, TestReportsMissingPromptsInNewLanguageFileAndFailsWhenItCannotWriteIt) {
    ScopedHome home;
    const test::CliRun complete = RunArgs({"prompts", "--test"});
    EXPECT_EQ(complete.status, kExitOk);
    EXPECT_EQ(complete.out, "All prompts are present in the language file\n");
    EXPECT_FALSE(std::filesystem::exists(home.File("newkvs.lng")));

    std::string lng = test::ReadText(home.File("kvs.lng"));
    const std::size_t at = lng.find("\nprompt_ok=");
    ASSERT_NE(at, std::string::npos);
    lng.erase(at + 1, lng.find('\n', at + 1) - at);
    test::WriteText(home.File("kvs.lng"), lng);
    const test::CliRun missing = RunArgs({"prompts", "--test"});
    EXPECT_EQ(missing.status, kExitOk);
    EXPECT_EQ(missing.out,
              "Some prompts are missing in the language file. Please check the file newkvs.lng\n");
    EXPECT_NE(test::ReadText(home.File("newkvs.lng"))
                  .find("\nprompt_ok=###All prompts are present in the language file\r\n"),
              std::string::npos);

    std::filesystem::remove(home.File("newkvs.lng"));
    std::filesystem::create_directory(home.File("newkvs.lng"));
    test::WriteText(home.File("newkvs.lng/keep"), "x");
    const test::CliRun unwritable = RunArgs({"prompts", "--test"});
    EXPECT_EQ(unwritable.status, kExitFileError);
    EXPECT_NE(unwritable.err.find("newkvs.lng"), std::string::npos);
}

TEST(CliPrompts, FileAndDeviceErrorsAreShownInTheLanguageFilesTexts) {
    ScopedHome home;
    RunArgs({"settings"});
    std::string lng = test::ReadText(home.File("kvs.lng"));
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"error_invalidfile=Invalid file",
                                              "error_invalidfile=Datei kaputt"},
          {"error_openmidiout=Could not open MIDI OUT device: %s",
           "error_openmidiout=MIDI OUT %s geht nicht"}}) {
        const std::size_t at = lng.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        lng.replace(at, from.size(), to);
    }
    test::WriteText(home.File("kvs.lng"), lng);

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

    const test::CliRun r = RunArgs({"ports"});
    EXPECT_EQ(r.status, kExitOk);
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
