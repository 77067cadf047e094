#include "model/clean_up_track.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/song.h"
#include "track_fixture.h"

namespace kvs {
namespace {

using test::Add;
using test::Cc;
using test::Events;
using test::Off;
using test::On;
using test::Timeline;

TEST(CleanUpTrack, DropsDoubledNoteOnsAndStrayNoteOffsAndLeavesEmptyTracksAndBadIndicesAlone) {
    Song song;
    ASSERT_TRUE(song.InsertTrack());
    ASSERT_TRUE(song.InsertTrack());
    Add(*song.GetTrack(0), {{0, On(1, 60)}, {96, On(1, 60)}, {150, Off(1, 60)}, {200, Off(1, 60)}});
    const Track* empty = song.GetTrack(1);
    for (std::uint32_t i = 0; i < 3; ++i)
        CleanUpTrack(song, i);
    EXPECT_EQ(Events(*song.GetTrack(0)), (Timeline{{0, On(1, 60)}, {150, Off(1, 60)}}));
    EXPECT_EQ(song.GetTrack(0)->BeatCount(), 2u);
    EXPECT_EQ(song.GetTrack(1), empty);
    EXPECT_EQ(song.TrackCount(), 2u);
}

TEST(CleanUpTrack, EndsWhatIsLeftOnAtTheLastTickAndKeepsTheRest) {
    Song song;
    ASSERT_TRUE(song.InsertTrack());
    ASSERT_TRUE(song.InsertTrack());
    Track& old = *song.GetTrack(1);
    old.properties.name.Set("Pad");
    old.properties.channel = 3;
    old.properties.port = 2;
    ASSERT_TRUE(old.AddSysexEvent(0, {0xF0, 0x01, 0xF7}));
    ASSERT_TRUE(old.DeleteEvent(0, 0));
    const Timeline in = {{0, Cc(0, 64, 127)}, {5, Cc(1, 67, 100)}, {10, On(0, 60)},
                         {20, On(0, 62)},     {30, On(0, 60, 0)},  {40, PackMessage(0xE2, 0, 70)},
                         {60, Off(0, 70)}};
    Add(old, in);
    ASSERT_TRUE(old.AddSysexEvent(50, {0xF0, 0x7E, 0xF7}));
    ASSERT_TRUE(old.EnsureBeats(4));
    const TrackProperties properties = old.properties;

    CleanUpTrack(song, 1);
    const Track& clean = *song.GetTrack(1);
    ASSERT_NE(&clean, &old);
    const Tick last = 4 * 192 - 1;
    // Kept as they were, then at the last tick the note left on, both pedals and the bend.
    // clang-format off
    const Timeline want = {
        {0, Cc(0, 64, 127)}, {5, Cc(1, 67, 100)}, {10, On(0, 60)}, {20, On(0, 62)},
        {30, Off(0, 60, 64)}, {40, PackMessage(0xE2, 0, 70)}, {50, SysexMessage(1)},
        {last, Off(0, 62, 64)}, {last, Cc(0, 64, 0)}, {last, Cc(1, 67, 0)},
        {last, PackMessage(0xE2, 0, 64)}};
    // clang-format on
    EXPECT_EQ(Events(clean), want);
    ASSERT_NE(clean.Sysex().Find(1), nullptr);
    EXPECT_EQ(clean.Sysex().Find(1)->bytes, (std::vector<std::uint8_t>{0xF0, 0x7E, 0xF7}));
    EXPECT_EQ(clean.Sysex().Count(), 1u);
    EXPECT_EQ(clean.properties, properties);
    EXPECT_EQ(clean.Notes().Count(), 1u);
    EXPECT_EQ(clean.BeatCount(), 4u);
}

}  // namespace
}  // namespace kvs
