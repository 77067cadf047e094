#include "ui/help_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace kvs {
namespace {

TEST(HelpTexts, ReadsGoodLinesAndSkipsMalformedOnes) {
    const std::string data =
        "# comment\r\n"
        "10040\tTranspose by\\nsemitones.\r\n"
        "1\tOK closes.\n"
        "1\tsecond text of 1 is ignored\n"
        "\n"
        "no tab here\n"
        "12a\tbad number\n"
        "\tno number\n"
        "4294967296\ttoo large\n"
        "4294967295\tlargest\n"
        "7\tstray \\x escape\n"
        "8\t\n"
        "9\tends in backslash\\";
    const HelpTexts texts = HelpTexts::Parse(data);
    EXPECT_EQ(texts.Size(), 3u);
    EXPECT_EQ(texts.Text(10040), "Transpose by\nsemitones.");
    EXPECT_EQ(texts.Text(1), "OK closes.");
    EXPECT_EQ(texts.Text(4294967295u), "largest");
    EXPECT_EQ(texts.Text(7), "");
    EXPECT_EQ(texts.Text(9), "");
    EXPECT_EQ(texts.Text(2), "");

    EXPECT_EQ(HelpTexts::Parse("5\t" + std::string(HelpTexts::kMaxTextBytes + 1, 'x')).Size(), 0u);
    EXPECT_EQ(HelpTexts::Load("/nonexistent/popups.txt").Size(), 0u);
}

TEST(HelpTexts, ShippedFileCoversEveryDialogControl) {
    const HelpTexts texts = HelpTexts::Load(KVS_TEST_DATA_DIR "/../../data/help/popups.txt");
    for (const std::uint32_t id :
         {help_id::kOk, help_id::kCancel, help_id::kPortList, help_id::kGotoUnit,
          help_id::kGotoNumber, help_id::kFindKind, help_id::kFindNumber, help_id::kFindDirection,
          help_id::kMarkerList, help_id::kTipStartup, help_id::kTipNext, help_id::kZoomBeats,
          help_id::kGotoTrack, help_id::kCopies, help_id::kChoosePortList,
          help_id::kChoosePortRemember, 10000u, 10040u, 10070u})
        EXPECT_FALSE(texts.Text(id).empty()) << id;
}

}  // namespace
}  // namespace kvs
