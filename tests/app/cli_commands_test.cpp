#include <gtest/gtest.h>
#include <sys/wait.h>

#include "cli_test_support.h"

namespace kvs {
namespace {

using test::RunArgs;

TEST(CliCommands, FileErrorsExitWithTwoAndNameTheFile) {
    test::TempFolder dir;
    // Two declared tracks: a complete one with a note, then a chunk cut short.
    const std::string bad = dir.Path("cut.mid");
    test::WriteText(bad,
                    std::string("MThd\0\0\0\6\0\1\0\2\0\xC0MTrk\0\0\0\x0C\0\x90\x3C\x40\x60\x80"
                                "\x3C\x40\0\xFF\x2F\0MTrk\0\0\0\x64\0\x90",
                                44));
    const std::string out = dir.Path("out.mid");
    const test::CliRun dump = RunArgs({"dump", bad, "--default-port", "5"});
    const test::CliRun info = RunArgs({"info", bad});
    const test::CliRun convert = RunArgs({"convert", bad, out});
    for (const test::CliRun* r : {&dump, &info, &convert}) {
        EXPECT_EQ(r->status, kExitFileError);
        EXPECT_EQ(r->err, "kvs-cli: " + bad + ": Invalid file\n");
    }
    // dump shows what was read before the damage; a half-read song is never
    // saved, as that would pass the damage on silently.
    EXPECT_TRUE(test::Has(dump.out,
                          " port=5 program=-1 bank=-1 volume=-1 pan=-1 reverb=-1 chorus=-1 "
                          "muted=0 beats=1\n  0 00403C90\n  96 00403C80\ntrack 1 "))
        << dump.out;
    EXPECT_TRUE(info.out.empty());
    EXPECT_FALSE(std::filesystem::exists(out));

    const std::string notFound = ": " + ResultMessage(SystemError(ENOENT)) + "\n";
    const std::string absent = dir.Path("absent.mid");
    EXPECT_EQ(RunArgs({"info", absent}).err, "kvs-cli: " + absent + notFound);
    const std::string unwritable = dir.Path("no-such-folder/out.mid");
    const test::CliRun save = RunArgs({"convert", test::ExampleSongPath(), unwritable});
    EXPECT_EQ(save.status, kExitFileError);
    EXPECT_EQ(save.err, "kvs-cli: " + unwritable + notFound);
}

TEST(CliCommands, FullConvertGivesTheExampleItsOwnBytes) {
    test::TempFolder dir;
    const std::string copy = dir.Path("copy.mid");
    EXPECT_TRUE(test::RunOk({"convert", test::ExampleSongPath(), copy}).out.empty());
    // The example is written the way the program writes files.
    EXPECT_EQ(test::ReadBytes(copy), test::ReadBytes(test::ExampleSongPath()));
}

// Runs the real program with the data folder given; its standard output goes
// to the file named.
int RunProgram(const std::string& home, const std::string& args, const std::string& out) {
    const std::string command = "KVS_HOME='" + home + "' KVS_MIDI=none '" + KVS_CLI_PATH + "' " +
                                args + " >'" + out + "' 2>/dev/null";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(CliProgram, AFirstStartCopiesTheShippedFilesAndTheBinaryDescribesTheExample) {
    test::TempFolder dir;
    const std::string home = dir.Path("home");
    const std::string out = dir.Path("out.txt");
    ASSERT_EQ(RunProgram(home, "info '" + test::ExampleSongPath() + "'", out), 0);
    EXPECT_EQ(test::ReadText(out).rfind("Name:       Minuet in G\nCopyright:  (C) 2025", 0), 0u)
        << test::ReadText(out);
    EXPECT_EQ(test::ReadBytes(home + "/examples/minuet.mid"),
              test::ReadBytes(test::ExampleSongPath()));

    EXPECT_EQ(RunProgram(home, "", out), 1);
    EXPECT_TRUE(test::ReadText(out).empty());
}

}  // namespace
}  // namespace kvs
