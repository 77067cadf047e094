#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "model/beat_bucket.h"
#include "model/event.h"

namespace kvs {
namespace {

std::vector<std::uint32_t> SortedMessages(std::vector<Event> events) {
    BeatBucket bucket;
    for (const Event& e : events)
        bucket.Append(e);
    SortBucket(bucket);
    std::vector<std::uint32_t> out;
    for (const Event& e : bucket)
        out.push_back(e.message);
    return out;
}

TEST(EventOrder, AtOneTickNoteOffsComeFirstAndNoteOnsLast) {
    // Every kind at one tick, shuffled: offs first, ons last, whatever the input order.
    const std::vector<std::uint32_t> kinds = {
        PackMessage(0x8F, 0, 0),
        PackMessage(EVT_TEMPO, 0xFF, 0xFF),
        PackMessage(EVT_TIMESIG, 4, 2),
        PackMessage(0xA0, 60, 10),
        PackMessage(0xB0, 7, 100),
        PackMessage(0xC0, 5),
        PackMessage(0xD0, 20),
        PackMessage(0xE0, 0, 64),
        SysexMessage(1),
        PackMessage(0x90, 60, 0),
        PackMessage(0x90, 61, 1),
    };
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<Event> events;
        for (std::uint32_t m : kinds)
            events.push_back(Event{3, m});
        std::shuffle(events.begin(), events.end(), rng);
        EXPECT_EQ(SortedMessages(events), kinds) << "round " << round;
    }
}

TEST(EventOrder, OffsetFirstThenStatusThenData1ThenData2) {
    const std::uint32_t lateOff = PackMessage(0x80, 60, 64);
    const std::uint32_t earlyOn = PackMessage(0x90, 60, 100);
    EXPECT_TRUE(EventLess({5, earlyOn}, {6, lateOff}));
    EXPECT_FALSE(EventLess({6, lateOff}, {5, earlyOn}));

    // Data 1 outranks data 2, and channel (the status) outranks both.
    EXPECT_TRUE(EventLess({0, PackMessage(0xB0, 1, 127)}, {0, PackMessage(0xB0, 2, 0)}));
    EXPECT_TRUE(EventLess({0, PackMessage(0xB0, 100, 127)}, {0, PackMessage(0xB1, 1, 0)}));
    EXPECT_TRUE(EventLess({0, PackMessage(0x80, 1, 0)}, {0, PackMessage(0x81, 0, 0)}));

    // The top byte takes no part: such events are equivalent.
    const Event a{0, 0x01000050};
    const Event b{0, 0x7F000050};
    EXPECT_FALSE(EventLess(a, b));
    EXPECT_FALSE(EventLess(b, a));
}

}  // namespace
}  // namespace kvs
