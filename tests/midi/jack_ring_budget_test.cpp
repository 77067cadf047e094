#include "midi/backends/jack_ring_budget.h"

#include <gtest/gtest.h>

namespace kvs {
namespace {

TEST(JackRingBudget, WhatTheLastThreeCyclesTookLimitsTheNextMessage) {
    JackRingBudget budget;
    constexpr std::size_t kPiece = 1024;
    constexpr std::size_t kFit = JackRingBudget::kBudget / JackRingBudget::Cost(kPiece);
    for (std::size_t i = 0; i < kFit; ++i)
        ASSERT_TRUE(budget.Take(kPiece, 0)) << i;
    EXPECT_FALSE(budget.Take(kPiece, 0));
    // A short message may still fit where a piece does not.
    const std::size_t left = JackRingBudget::kBudget - kFit * JackRingBudget::Cost(kPiece);
    EXPECT_EQ(budget.Take(3, 0), JackRingBudget::Cost(3) <= left);

    // Cycle 0 still counts two cycles on, and is forgotten on the third.
    EXPECT_FALSE(budget.Take(kPiece, 1));
    EXPECT_FALSE(budget.Take(kPiece, 2));
    EXPECT_TRUE(budget.Take(kPiece, 3));

    // A long pause forgets everything at once.
    JackRingBudget later;
    for (std::size_t i = 0; i < kFit; ++i)
        later.Take(kPiece, 5);
    EXPECT_FALSE(later.Take(kPiece, 6));
    for (std::size_t i = 0; i < kFit; ++i)
        EXPECT_TRUE(later.Take(kPiece, 1000)) << i;
}

}  // namespace
}  // namespace kvs
