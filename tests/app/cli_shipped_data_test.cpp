#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli_test_support.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

// Runs the real program with the data folder given; returns its exit status.
int RunProgram(const std::string& home, const std::string& args) {
    const std::string command =
        "KVS_HOME='" + home + "' KVS_MIDI=none '" + KVS_CLI_PATH + "' " + args + " >/dev/null 2>&1";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(CliShippedData, AFirstStartCopiesTheShippedFilesAndNeverReplacesTheUsersOwn) {
    test::TempDir dir;
    const std::string home = dir.File("home");
    ASSERT_EQ(RunProgram(home, "settings"), 0);
    const std::string shipped =
        test::ReadText(KVS_TEST_DATA_DIR "/../../data/instruments/generalmidi.ini");
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(test::ReadText(home + "/generalmidi.ini"), shipped);
    EXPECT_EQ(test::ReadBytes(home + "/examples/minuet.mid"),
              test::ReadBytes(test::ExampleSongPath()));

    // The user's edited list stays; a deleted example comes back.
    const std::string edited = "[Instruments]\r\nName=My own General MIDI\r\n";
    test::WriteText(home + "/generalmidi.ini", edited);
    fs::remove(home + "/examples/minuet.mid");
    ASSERT_EQ(RunProgram(home, "settings"), 0);
    EXPECT_EQ(test::ReadText(home + "/generalmidi.ini"), edited);
    EXPECT_TRUE(fs::exists(home + "/examples/minuet.mid"));
}

}  // namespace
}  // namespace kvs
