#include "model/beat_bucket.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kvs {
namespace {

TEST(BeatBucket, GrowsByDoublingAndShrinksWhenAQuarterFull) {
    BeatBucket b;
    for (std::uint32_t i = 0; i < 17; ++i)
        ASSERT_TRUE(b.Append(Event{i, i}));
    ASSERT_EQ(b.Count(), 17u);
    // 4, 8, 16, 32: the 17th event needed a fourth block.
    for (std::uint32_t i = 0; i < 9; ++i)
        ASSERT_TRUE(b.RemoveAt(0));
    EXPECT_EQ(b.Count(), 8u);  // a quarter of 32: halved to 16, contents intact
    for (std::uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(b[i].offset, 9 + i);
    EXPECT_FALSE(b.RemoveAt(8));

    BeatBucket copy(b);
    EXPECT_EQ(copy.Count(), 8u);
    EXPECT_EQ(copy[7].message, 16u);
    copy[0].message = 99;
    EXPECT_EQ(b[0].message, 9u);  // a deep copy

    EXPECT_TRUE(b.InsertAt(8, Event{1, 1}));
    EXPECT_TRUE(b.InsertAt(0, Event{2, 2}));
    EXPECT_FALSE(b.InsertAt(11, Event{3, 3}));
    EXPECT_EQ(b.Count(), 10u);
    EXPECT_EQ(b[0].offset, 2u);
    EXPECT_EQ(b[9].offset, 1u);

    b.Clear();
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Data(), nullptr);
}

}  // namespace
}  // namespace kvs
