#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "model/beat_bucket.h"
#include "model/event.h"
#include "model/value_message.h"

namespace kvs {
namespace {

TEST(EventOrder, AtOneTickNoteOffsComeFirstAndNoteOnsLast) {
    // Every kind at one tick, in the order sorting must give whatever the input order.
    // clang-format off
    const std::vector<std::uint32_t> kinds = {
        PackMessage(0x8F, 0, 0), PackMessage(EVT_TEMPO, 0xFF, 0xFF), PackMessage(EVT_TIMESIG, 4, 2),
        PackMessage(0xA0, 60, 10), PackMessage(0xB0, 7, 100), PackMessage(0xC0, 5),
        PackMessage(0xD0, 20), PackMessage(0xE0, 0, 64), SysexMessage(1),
        PackMessage(0x90, 60, 0), PackMessage(0x90, 61, 1)};
    // clang-format on
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        BeatBucket bucket;
        std::vector<std::uint32_t> shuffled = kinds;
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        for (std::uint32_t m : shuffled)
            bucket.Append(Event{3, m});
        SortBucket(bucket);
        std::vector<std::uint32_t> sorted;
        for (const Event& e : bucket)
            sorted.push_back(e.message);
        EXPECT_EQ(sorted, kinds) << "round " << round;
    }

    // Otherwise by offset, status (so channel), data 1, data 2; the top byte takes no part.
    EXPECT_TRUE(EventLess({5, PackMessage(0x90, 60, 100)}, {6, PackMessage(0x80, 60, 64)}));
    EXPECT_FALSE(EventLess({6, PackMessage(0x80, 60, 64)}, {5, PackMessage(0x90, 60, 100)}));
    EXPECT_TRUE(EventLess({0, PackMessage(0xB0, 1, 127)}, {0, PackMessage(0xB0, 2, 0)}));
    EXPECT_TRUE(EventLess({0, PackMessage(0xB0, 100, 127)}, {0, PackMessage(0xB1, 1, 0)}));
    EXPECT_TRUE(EventLess({0, PackMessage(0x80, 1, 0)}, {0, PackMessage(0x81, 0, 0)}));
    EXPECT_FALSE(EventLess({0, 0x01000050}, {0, 0x7F000050}));
    EXPECT_FALSE(EventLess({0, 0x7F000050}, {0, 0x01000050}));
}

TEST(ValueMessage, BuildsEachKindWithItsClampAndReadsBackWhatWasBuilt) {
    EXPECT_EQ(BuildValueMessage(2, 7, 300), PackMessage(0xB2, 7, 127));
    EXPECT_EQ(BuildValueMessage(0, kValueProgram, 200), PackMessage(0xC0, 127));
    EXPECT_EQ(BuildValueMessage(15, kValueAftertouch, 64), PackMessage(0xDF, 64));
    EXPECT_EQ(BuildValueMessage(0, kValuePitchBend, 0), PackMessage(0xE0, 0x00, 0x40));
    EXPECT_EQ(BuildValueMessage(0, kValuePitchBend, 9000), PackMessage(0xE0, 0x7F, 0x7F));
    EXPECT_EQ(BuildValueMessage(0, kValuePitchBend, -9000), PackMessage(0xE0, 0x00, 0x00));
    EXPECT_EQ(BuildValueMessage(3, kValueTempo, 5), EVT_TEMPO | (10u << 8));
    EXPECT_EQ(BuildValueMessage(3, kValueTempo, 999), EVT_TEMPO | (480u << 8));
    EXPECT_EQ(BuildValueMessage(3, kValueTimeSig, 40), PackMessage(EVT_TIMESIG, 32, 2));
    EXPECT_EQ(BuildValueMessage(1, kValueNote, 60), PackMessage(0x91, 60, 0));
    EXPECT_EQ(BuildValueMessage(0x1F, 10, 1), PackMessage(0xBF, 10, 1));  // channel stays out
    EXPECT_EQ(BuildValueMessage(0, kValueKindCount, 1), 0u);

    for (std::uint32_t kind = 0; kind < kValueKindCount; ++kind) {
        for (std::int32_t value : {-8192, -1, 0, 1, 10, 64, 127, 480, 8191}) {
            const std::uint32_t message = BuildValueMessage(5, kind, value);
            EXPECT_EQ(ValueKindOf(message), kind) << kind;
            EXPECT_EQ(BuildValueMessage(Channel(message), kind, MessageValue(message)), message)
                << kind << " " << value;
        }
    }
    EXPECT_EQ(MessageValue(BuildValueMessage(0, kValuePitchBend, -8192)), -8192);
    EXPECT_EQ(MessageValue(BuildValueMessage(0, kValuePitchBend, 8191)), 8191);
    EXPECT_EQ(MessageValue(PackMessage(0xF8)), 0);
    EXPECT_EQ(ValueKindOf(PackMessage(0xA0, 60, 5)), kValueKindCount);
}

}  // namespace
}  // namespace kvs
