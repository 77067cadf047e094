#include "model/grow_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kvs {
namespace {

std::vector<std::uint32_t> Contents(const GrowArray<std::uint32_t>& a) {
    return std::vector<std::uint32_t>(a.Data(), a.Data() + a.Count());
}

TEST(GrowArray, InsertAtZeroFillsTheGapAndRemoveAtClosesIt) {
    GrowArray<std::uint32_t> a(100, 100);
    a.SetSize(4);
    for (std::uint32_t i = 0; i < 4; ++i)
        a.Set(i, 0xA0 + i);
    // Dirty the spare capacity so a missing zero fill shows.
    a.SetSize(8);
    for (std::uint32_t i = 4; i < 8; ++i)
        a.Set(i, 0xFFFFFFFF);
    a.SetSize(4);

    ASSERT_NE(a.InsertAt(1, 2), nullptr);
    EXPECT_EQ(Contents(a), (std::vector<std::uint32_t>{0xA0, 0, 0, 0xA1, 0xA2, 0xA3}));
    ASSERT_NE(a.InsertAt(6, 1), nullptr);  // at count: appends
    EXPECT_EQ(a.Get(6), 0u);

    ASSERT_NE(a.RemoveAt(0, 3), nullptr);
    EXPECT_EQ(Contents(a), (std::vector<std::uint32_t>{0xA1, 0xA2, 0xA3, 0}));

    EXPECT_EQ(a.InsertAt(5, 1), nullptr);
    EXPECT_EQ(a.RemoveAt(3, 2), nullptr);
    EXPECT_EQ(a.Count(), 4u);
    EXPECT_EQ(a.Get(4), 0u);
    a.Set(4, 7);
    EXPECT_EQ(a.Count(), 4u);
}

}  // namespace
}  // namespace kvs
