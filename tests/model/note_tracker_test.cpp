#include "model/note_tracker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/event.h"
#include "model/grow_array.h"
#include "track_fixture.h"

namespace kvs {
namespace {

using test::Cc;
using test::Off;
using test::On;
using Words = std::vector<std::uint32_t>;

TEST(NoteTracker, KeepsSoundingNotesInStartOrderAndEndsTheOldestFirst) {
    NoteTracker t;
    auto sounding = [&t] { return Words(t.Data() + 1, t.Data() + t.Count()); };
    t.Observe(On(1, 60));
    t.Observe(On(2, 60));
    t.Observe(On(1, 60, 5));  // the same key twice is kept twice
    t.Observe(On(1, 64));
    EXPECT_EQ(sounding(), (Words{0x3C01, 0x3C02, 0x3C01, 0x4001}));
    t.Observe(On(1, 60, 0));  // a velocity-0 note on ends a note
    t.Observe(Off(3, 60));    // no such note: ignored
    EXPECT_EQ(sounding(), (Words{0x3C02, 0x3C01, 0x4001}));
    t.Observe(Off(1, 60, 0));
    EXPECT_EQ(sounding(), (Words{0x3C02, 0x4001}));
    EXPECT_TRUE(t.IsSounding(0x4001));
    EXPECT_FALSE(t.IsSounding(0x4002));
    EXPECT_FALSE(t.IsSounding(NoteTracker::kSentinel));
    t.Reset();
    EXPECT_EQ(t.Count(), 1u);
    EXPECT_EQ(t.Data()[0], NoteTracker::kSentinel);
}

TEST(NoteTracker, TracksPedalsAndBendPerChannel) {
    NoteTracker t;
    for (std::uint32_t m : {Cc(0, 64, 64), Cc(0, 67, 127), Cc(5, 65, 100), Cc(5, 66, 70),
                            Cc(5, 68, 127), PackMessage(0xE3, 0, 65)})  // 68 is no tracked pedal
        t.Observe(m);
    EXPECT_EQ(t.Flags()[0], NoteTracker::kSustain | NoteTracker::kSoft);
    EXPECT_EQ(t.Flags()[5], NoteTracker::kPortamento | NoteTracker::kSostenuto);
    EXPECT_EQ(t.Flags()[3], NoteTracker::kBendOffCentre);

    t.Observe(Cc(0, 64, 63));
    t.Observe(Cc(5, 66, 0));
    t.Observe(PackMessage(0xE3, 1, 64));  // one step off centre still counts
    EXPECT_EQ(t.Flags()[0], NoteTracker::kSoft);
    EXPECT_EQ(t.Flags()[5], NoteTracker::kPortamento);
    EXPECT_EQ(t.Flags()[3], NoteTracker::kBendOffCentre);
    t.Observe(PackMessage(0xE3, 0, 64));
    EXPECT_EQ(t.Flags()[3], 0u);
    t.Reset();
    for (std::uint32_t f : t.Flags())
        EXPECT_EQ(f, 0u);
}

TEST(GrowArray, InsertAtZeroFillsTheGapAndRemoveAtClosesIt) {
    GrowArray<std::uint32_t> a(100, 100);
    auto contents = [&a] { return Words(a.Data(), a.Data() + a.Count()); };
    a.SetSize(8);
    for (std::uint32_t i = 0; i < 8; ++i)
        a.Set(i, i < 4 ? 0xA0 + i : 0xFFFFFFFF);  // dirty spare capacity shows a missing fill
    a.SetSize(4);

    ASSERT_NE(a.InsertAt(1, 2), nullptr);
    EXPECT_EQ(contents(), (Words{0xA0, 0, 0, 0xA1, 0xA2, 0xA3}));
    ASSERT_NE(a.InsertAt(6, 1), nullptr);  // at count: appends
    ASSERT_NE(a.RemoveAt(0, 3), nullptr);
    EXPECT_EQ(contents(), (Words{0xA1, 0xA2, 0xA3, 0}));
    EXPECT_EQ(a.InsertAt(5, 1), nullptr);
    EXPECT_EQ(a.RemoveAt(3, 2), nullptr);
    EXPECT_EQ(a.Get(4), 0u);
    a.Set(4, 7);
    EXPECT_EQ(a.Count(), 4u);
}

}  // namespace
}  // namespace kvs
