#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>

#include "app/cli/cli.h"
#include "cli_test_support.h"
#include "files/file_result.h"

namespace kvs {
namespace {

using test::RunArgs;

// Two declared tracks: a complete one with a note, then a chunk cut short.
std::vector<std::uint8_t> TruncatedFile() {
    return {'M',  'T',  'h',  'd',  0,   0,   0,   6,    0,    1,    0,    2,    0,    0xC0, 'M',
            'T',  'r',  'k',  0,    0,   0,   12,  0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40,
            0x00, 0xFF, 0x2F, 0x00, 'M', 'T', 'r', 'k',  0,    0,    0,    100,  0x00, 0x90};
}

std::string DumpOf(const std::string& path, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"dump", path};
    args.insert(args.end(), extra.begin(), extra.end());
    const test::CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return r.out;
}

TEST(CliCommands, FailedLoadExitsWithTwoAfterDumpingWhatWasRead) {
    test::TempDir dir;
    const std::string bad = dir.File("cut.mid");
    test::WriteBytes(bad, TruncatedFile());

    const test::CliRun dump = RunArgs({"dump", bad, "--default-port", "5"});
    EXPECT_EQ(dump.status, kExitFileError);
    EXPECT_EQ(dump.err, "kvs-cli: " + bad + ": Invalid file\n");
    EXPECT_EQ(dump.out,
              "song tempo=100 timesig=4/2 loop=0 name=\"\" copyright=\"\"\n"
              "markers - - - - - - - - - - - - - - - - - - - - - -\n"
              "track 0 name=\"\" channel=0 port=5 program=-1 bank=-1 volume=-1 pan=-1 reverb=-1 "
              "chorus=-1 muted=0 beats=1\n"
              "  0 00403C90\n"
              "  96 00403C80\n"
              "track 1 name=\"\" channel=- port=5 program=-1 bank=-1 volume=-1 pan=-1 reverb=-1 "
              "chorus=-1 muted=0 beats=0\n");

    const test::CliRun info = RunArgs({"info", bad});
    EXPECT_EQ(info.status, kExitFileError);
    EXPECT_EQ(info.err, "kvs-cli: " + bad + ": Invalid file\n");
    EXPECT_TRUE(info.out.empty());

    // A half-read song is never saved: that would pass the damage on silently.
    const std::string out = dir.File("out.mid");
    const test::CliRun convert = RunArgs({"convert", bad, out});
    EXPECT_EQ(convert.status, kExitFileError);
    EXPECT_EQ(convert.err, "kvs-cli: " + bad + ": Invalid file\n");
    EXPECT_FALSE(std::filesystem::exists(out));

    const test::CliRun missing = RunArgs({"info", dir.File("absent.mid")});
    EXPECT_EQ(missing.status, kExitFileError);
    EXPECT_EQ(missing.err, "kvs-cli: " + dir.File("absent.mid") + ": " +
                               ResultMessage(SystemError(ENOENT)) + "\n");
}

TEST(CliCommands, FullConvertGivesTheSameSongAndTheExampleItsOwnBytes) {
    test::TempDir dir;
    const std::string example = test::ExampleSongPath();
    const std::string copy = dir.File("copy.mid");
    const test::CliRun r = RunArgs({"convert", example, copy});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(DumpOf(copy), DumpOf(example));
    // The example is written the way the program writes files.
    EXPECT_EQ(test::ReadBytes(copy), test::ReadBytes(example));
}

TEST(CliCommands, PortNamesAreWrittenAndResolvedByTheGivenOutPorts) {
    test::TempDir dir;
    const std::string ported = dir.File("ported.mid");
    ASSERT_EQ(
        RunArgs({"convert", test::ExampleSongPath(), ported, "--out-ports", "Synth A,Synth B"})
            .status,
        kExitOk);

    auto portsOf = [](const std::string& dump) {
        std::vector<std::string> ports;
        for (std::size_t at = dump.find("\ntrack "); at != std::string::npos;
             at = dump.find("\ntrack ", at + 1)) {
            const std::size_t p = dump.find(" port=", at) + 6;
            ports.push_back(dump.substr(p, dump.find(' ', p) - p));
        }
        return ports;
    };
    using Ports = std::vector<std::string>;
    EXPECT_EQ(portsOf(DumpOf(ported, {"--out-ports", "Other,Synth A,Synth A"})),
              (Ports{"1", "1", "1"}));
    // Case counts; an unknown name keeps the default port without asking.
    EXPECT_EQ(portsOf(DumpOf(ported, {"--out-ports", "synth a", "--default-port", "7"})),
              (Ports{"7", "7", "7"}));
    EXPECT_EQ(portsOf(DumpOf(ported, {"--default-port", "3"})), (Ports{"3", "3", "3"}));
}

TEST(CliCommands, FailedSaveExitsWithTwoAndTheSystemMessage) {
    test::TempDir dir;
    const std::string out = dir.File("no-such-folder/out.mid");
    const test::CliRun r = RunArgs({"convert", test::ExampleSongPath(), out});
    EXPECT_EQ(r.status, kExitFileError);
    EXPECT_EQ(r.err, "kvs-cli: " + out + ": " + ResultMessage(SystemError(ENOENT)) + "\n");
}

// Runs a shell command and returns its standard output and exit status.
std::string Shell(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), pipe)) > 0)
        output.append(buf, n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

TEST(CliProgram, TheRealBinaryDescribesTheExampleSongAndRejectsAMissingCommand) {
    int status = -1;
    const std::string info =
        Shell(std::string("'") + KVS_CLI_PATH + "' info '" + test::ExampleSongPath() + "'", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(info.rfind("Name:       Minuet in G\nCopyright:  (C) 2025", 0), 0u) << info;

    const std::string none = Shell(std::string("'") + KVS_CLI_PATH + "' 2>/dev/null", status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace kvs
