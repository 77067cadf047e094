#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cli/record_command.h"

namespace kvs {
namespace {

TEST(CliRecord, ParsesItsOptionsAndRefusesWhatCannotWork) {
    std::string error;
    const std::vector<std::string> full{
        "record", "out.mid", "--in",   "Keys",       "--port", "1",        "--from", "4",
        "--loop", "2:6",     "--thru", "--count-in", "2",      "--append", "in.mid", "--metronome"};
    EXPECT_TRUE(IsRecordCommand(full));
    const std::optional<RecordArgs> a = ParseRecordArgs(full, error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->out, "out.mid");
    EXPECT_EQ(a->in, "Keys");
    EXPECT_EQ(a->port, "1");
    EXPECT_EQ(a->from, 4u);
    EXPECT_EQ(a->loopLeft, 2u);
    EXPECT_EQ(a->loopRight, 6u);
    EXPECT_FALSE(a->punchLeft);
    EXPECT_TRUE(a->thru && a->metronome);
    EXPECT_EQ(a->countIn, 2u);
    EXPECT_EQ(a->append, "in.mid");

    EXPECT_FALSE(IsRecordCommand({"play", "record"}));
    const std::vector<std::vector<std::string>> bad{
        {"record", "out.mid", "--port", "0"},                               // no input
        {"record", "--in", "a", "--port", "0"},                             // no file
        {"record", "o.mid", "--in", "a", "--port", "0", "--punch", "8:8"},  // empty range
        {"record", "o.mid", "--in", "a", "--port", "0", "--from", "x"},     // not a beat
        {"record", "o.mid", "--in", "a", "--port", "0", "--punch", "1:4", "--loop", "2:4"},
        {"record", "o.mid", "--in", "a", "--port", "0", "--bogus"},
        {"record", "o.mid", "--in"},
    };
    for (const std::vector<std::string>& args : bad)
        EXPECT_FALSE(ParseRecordArgs(args, error)) << args.back();
}

}  // namespace
}  // namespace kvs
