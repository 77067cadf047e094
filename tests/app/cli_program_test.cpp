#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "cli_test_support.h"

namespace kvs {
namespace {

// Runs the real program with the data folder given; its standard output goes
// to the file named.
int RunProgram(const std::string& home, const std::string& args, const std::string& out) {
    const std::string command = "KVS_HOME='" + home + "' KVS_MIDI=none '" + KVS_CLI_PATH + "' " +
                                args + " >'" + out + "' 2>/dev/null";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(CliProgram, AFirstStartCopiesTheShippedFilesAndTheBinaryDescribesTheExample) {
    test::TempDir dir;
    const std::string home = dir.File("home");
    const std::string out = dir.File("out.txt");
    ASSERT_EQ(RunProgram(home, "info '" + test::ExampleSongPath() + "'", out), 0);
    EXPECT_EQ(test::ReadText(out).rfind("Name:       Minuet in G\nCopyright:  (C) 2025", 0), 0u)
        << test::ReadText(out);
    const std::string shipped =
        test::ReadText(KVS_TEST_DATA_DIR "/../../data/instruments/generalmidi.ini");
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(test::ReadText(home + "/generalmidi.ini"), shipped);
    EXPECT_EQ(test::ReadBytes(home + "/examples/minuet.mid"),
              test::ReadBytes(test::ExampleSongPath()));

    EXPECT_EQ(RunProgram(home, "", out), 1);
    EXPECT_TRUE(test::ReadText(out).empty());
}

}  // namespace
}  // namespace kvs
