#include "model/beat_bucket.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <vector>

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

// Moving a bucket could carry borrowed events away from their lender.
static_assert(!std::is_move_constructible_v<BeatBucket>);
static_assert(!std::is_move_assignable_v<BeatBucket>);

struct LentBucket : BeatBucket {
    using BeatBucket::Borrow;
};

std::vector<std::uint32_t> Messages(const BeatBucket& b) {
    std::vector<std::uint32_t> out;
    for (const Event& e : b)
        out.push_back(e.message);
    return out;
}

// The lender is a vector: freeing its memory with free() would be a fault
// the address sanitizer reports.
TEST(BeatBucket, BorrowedEventsAreEditedInPlaceUntilTheyOutgrowTheirRun) {
    std::vector<Event> lender{{0, 10}, {0, 11}, {0, 12}, {0, 13}, {0, 99}};
    const std::vector<Event> untouched = lender;
    LentBucket b;
    b.Borrow(lender.data(), 4);  // the fifth event is not the bucket's
    ASSERT_TRUE(b.Borrowed());
    ASSERT_EQ(b.Data(), lender.data());

    ASSERT_TRUE(b.RemoveAt(1));
    EXPECT_EQ(Messages(b), (std::vector<std::uint32_t>{10, 12, 13}));
    EXPECT_EQ(b.Data(), lender.data());
    ASSERT_TRUE(b.Append(Event{0, 14}));  // into the room the removal left
    EXPECT_TRUE(b.Borrowed());
    EXPECT_EQ(lender[4].message, 99u);

    ASSERT_TRUE(b.InsertAt(0, Event{0, 9}));  // past the run: an owned block
    EXPECT_FALSE(b.Borrowed());
    EXPECT_NE(b.Data(), lender.data());
    EXPECT_EQ(Messages(b), (std::vector<std::uint32_t>{9, 10, 12, 13, 14}));
    EXPECT_EQ(lender[4].message, 99u);
    for (std::uint32_t i = 0; i < 5; ++i)
        ASSERT_TRUE(b.RemoveAt(0));  // an owned block shrinks as usual
    EXPECT_TRUE(b.Empty());

    // Sorting and copying a borrowed bucket.
    lender = untouched;
    LentBucket sorted;
    sorted.Borrow(lender.data(), 3);
    sorted[0].offset = 7;
    sorted.Sort();
    EXPECT_EQ(Messages(sorted), (std::vector<std::uint32_t>{11, 12, 10}));
    EXPECT_EQ(lender[2].message, 10u);  // sorted in the lender's block
    BeatBucket copy(sorted);
    EXPECT_FALSE(copy.Borrowed());
    copy[0].message = 50;
    EXPECT_EQ(lender[0].message, 11u);
    copy = sorted;  // assigning over an owned copy frees it
    EXPECT_EQ(Messages(copy), Messages(sorted));

    // A copy assigned over a borrowed bucket leaves the lender alone.
    LentBucket target;
    target.Borrow(lender.data() + 3, 2);
    BeatBucket& targetBucket = target;
    targetBucket = copy;
    EXPECT_FALSE(target.Borrowed());
    EXPECT_EQ(Messages(target), (std::vector<std::uint32_t>{11, 12, 10}));
    EXPECT_EQ(lender[4].message, 99u);

    ASSERT_TRUE(sorted.Reserve(3));
    EXPECT_TRUE(sorted.Borrowed());
    ASSERT_TRUE(sorted.Reserve(4));
    EXPECT_FALSE(sorted.Borrowed());
    EXPECT_EQ(Messages(sorted), (std::vector<std::uint32_t>{11, 12, 10}));

    LentBucket cleared;
    cleared.Borrow(lender.data(), 5);
    cleared.Clear();
    EXPECT_FALSE(cleared.Borrowed());
    EXPECT_EQ(cleared.Data(), nullptr);
    ASSERT_TRUE(cleared.Append(Event{0, 1}));
    EXPECT_EQ(lender[0].message, 11u);
}

}  // namespace
}  // namespace kvs
