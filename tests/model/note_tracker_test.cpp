#include "model/note_tracker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/event.h"
#include "track_fixture.h"

namespace kvs {
namespace {

using test::Cc;
using test::Off;
using test::On;

std::vector<std::uint32_t> Sounding(const NoteTracker& t) {
    return std::vector<std::uint32_t>(t.Data() + 1, t.Data() + t.Count());
}

TEST(NoteTracker, KeepsSoundingNotesInStartOrderAndEndsTheOldestFirst) {
    NoteTracker t;
    t.Observe(On(1, 60));
    t.Observe(On(2, 60));
    t.Observe(On(1, 60, 5));  // the same key twice is kept twice
    t.Observe(On(1, 64));
    EXPECT_EQ(Sounding(t), (std::vector<std::uint32_t>{0x3C01, 0x3C02, 0x3C01, 0x4001}));

    t.Observe(On(1, 60, 0));  // a velocity-0 note on ends a note
    EXPECT_EQ(Sounding(t), (std::vector<std::uint32_t>{0x3C02, 0x3C01, 0x4001}));
    t.Observe(Off(3, 60));  // no such note: ignored
    t.Observe(Off(1, 60, 0));
    EXPECT_EQ(Sounding(t), (std::vector<std::uint32_t>{0x3C02, 0x4001}));
    EXPECT_TRUE(t.IsSounding(0x4001));
    EXPECT_FALSE(t.IsSounding(0x4002));
    EXPECT_FALSE(t.IsSounding(NoteTracker::kSentinel));  // the sentinel is no note

    t.Reset();
    EXPECT_EQ(t.Count(), 1u);
    EXPECT_EQ(t.Data()[0], NoteTracker::kSentinel);
}

TEST(NoteTracker, TracksPedalsAndBendPerChannel) {
    NoteTracker t;
    t.Observe(Cc(0, 64, 64));
    t.Observe(Cc(0, 67, 127));
    t.Observe(Cc(5, 65, 100));
    t.Observe(Cc(5, 66, 70));
    t.Observe(Cc(5, 68, 127));  // not a tracked pedal
    t.Observe(PackMessage(0xE3, 0, 65));
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

}  // namespace
}  // namespace kvs
