#include "ui/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvs {
namespace {

CommandLine Parse(std::vector<std::string> words) {
    return ParseCommandLine(words, "/home/me");
}

TEST(CommandLineTest, OptionsAndFileNames) {
    // One word is one name, spaces and all; options in either case and with
    // either prefix.
    CommandLine line = Parse({"my song.mid", "/p", "-Q"});
    EXPECT_EQ(line.flags, cmdline::Play | cmdline::Quit);
    EXPECT_EQ(line.file, "/home/me/my song.mid");

    EXPECT_EQ(Parse({"/?", "/F", "/o", "/R"}).flags,
              cmdline::Help | cmdline::NoHandOver | cmdline::TestPrompts | cmdline::Register);
    EXPECT_EQ(Parse({"/tmp/songs/a.mid"}).file, "/tmp/songs/a.mid");
    EXPECT_EQ(Parse({"../x.mid"}).file, "/home/x.mid");
    EXPECT_EQ(Parse({}).flags, 0u);

    // Errors: option groups, unknown letters, a second file.
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"/pq"}, {"/p/q"}, {"-pq"}, {"/x"}, {"a.mid", "b.mid"}}) {
        line = Parse(bad);
        EXPECT_TRUE(line.Has(cmdline::Error)) << bad[0];
        EXPECT_TRUE(line.file.empty());
    }

    // Standard output requests, which the parser would otherwise take for a
    // file or an error.
    EXPECT_TRUE(Parse({"--help"}).printHelp);
    EXPECT_TRUE(Parse({"-h"}).printHelp);
    EXPECT_TRUE(Parse({"--version"}).printVersion);
    EXPECT_FALSE(Parse({"--help"}).Has(cmdline::Error));
}

}  // namespace
}  // namespace kvs
