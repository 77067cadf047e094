#include "model/track.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "track_fixture.h"

namespace kvs {
namespace {

using test::Add;
using test::Cc;
using test::Events;
using test::Off;
using test::On;
using test::TimedMessage;
using test::Timeline;

TEST(TrackEvents, AddEventBucketsByBeatAndAppendsUnsorted) {
    Track t;
    ASSERT_TRUE(t.AddEvent(1000, On(0, 60)));
    ASSERT_TRUE(t.AddEvent(960, Off(0, 60)));
    EXPECT_EQ(Events(t), (Timeline{{1000, On(0, 60)}, {960, Off(0, 60)}}));
    EXPECT_EQ(t.EventCount(), 2u);
    EXPECT_EQ(t.BeatCount(), 6u);

    // Ticks past the beat limit are refused and allocate nothing.
    EXPECT_FALSE(t.AddEvent(0xFFFFFFFF, On(0, 61)));
    EXPECT_FALSE(t.AddEvent(kMaxTrackBeats * TICKS_PER_BEAT, On(0, 61)));
    EXPECT_FALSE(t.EnsureBeats(kMaxTrackBeats + 1));
    EXPECT_EQ(t.BeatCount(), 6u);
}

TEST(TrackEvents, NoteOnPairsWithTheFirstTrueNoteOffElseAVelocityZeroNoteOn) {
    Track t;
    Add(t, {{0, On(0, 60)}, {10, On(0, 60, 0)}, {20, Off(1, 60)}, {400, Off(0, 60, 0)}});
    EXPECT_EQ(t.FindNoteOff(0, 0), (EventPos{2, 0}));
    EXPECT_EQ(t.NoteLength(0, 0), 401);

    Track zeroOnly;
    Add(zeroOnly, {{0, On(0, 60)}, {191, On(0, 60, 0)}, {300, On(0, 61, 0)}});
    EXPECT_EQ(zeroOnly.FindNoteOff(0, 0), (EventPos{0, 1}));
    EXPECT_EQ(zeroOnly.NoteLength(0, 0), 192);  // inclusive length

    // Only events after the note on are candidates.
    Track before;
    Add(before, {{5, Off(0, 60)}, {5, On(0, 60)}});
    EXPECT_FALSE(before.FindNoteOff(0, 1).Found());
    EXPECT_EQ(before.NoteLength(0, 1), -1);
    EXPECT_FALSE(before.FindNoteOff(3, 0).Found());
}

TEST(TrackEvents, FindEventSkipsItsStartEventExceptBackwardInTickMode) {
    Track t;
    Add(t, {{10, Cc(0, 7, 1)}, {10, Cc(0, 7, 2)}, {200, Cc(0, 7, 3)}, {400, Cc(0, 7, 4)}});
    auto search = [](const Track& in, std::int64_t tick, std::int32_t beat, std::int32_t index,
                     bool back, std::uint32_t value = 0xB0) {
        EventSearch s{value, 0xF0, tick, beat, index, back, {}};
        in.FindEvent(s);
        return s;
    };

    EventSearch s = search(t, 10, 0, 0, false);  // the first event at tick 10 is passed over
    EXPECT_EQ(s.found, (EventPos{0, 1}));
    EXPECT_EQ(s.value, Cc(0, 7, 2));
    EXPECT_EQ(s.startTick, 10);
    EXPECT_EQ(search(t, 11, 0, 0, false).found, (EventPos{1, 0}));  // none at/after 11 in beat 0
    EXPECT_EQ(search(t, -1, 1, 0, false).found, (EventPos{2, 0}));
    EXPECT_EQ(search(t, -1, 1, -1, false).found, (EventPos{1, 0}));
    EXPECT_FALSE(search(t, -1, 3, 0, false).found.Found());
    EXPECT_FALSE(search(t, 3 * 192, 0, 0, false).found.Found());

    s = search(t, 400, 0, 0, true);  // backward by tick includes the events at the tick
    EXPECT_EQ(s.found, (EventPos{2, 0}));
    EXPECT_EQ(s.startTick, 400);
    EXPECT_EQ(search(t, 9, 0, 0, true).found, (EventPos{-1, -1}));
    EXPECT_EQ(search(t, -1, 2, 0, true).found, (EventPos{1, 0}));
    EXPECT_EQ(search(t, -1, 0, 1, true).found, (EventPos{0, 0}));
    EXPECT_EQ(search(t, -1, 9, 0, true).found, (EventPos{2, 0}));  // from beyond the end

    // A note on of velocity 64 looks for sounding note ons only.
    Track notes;
    Add(notes, {{0, Cc(0, 1, 1)}, {1, On(3, 60, 0)}, {2, On(4, 61, 9)}});
    EXPECT_EQ(search(notes, -1, 0, 0, false, On(0, 0, 64)).found, (EventPos{0, 2}));
    EXPECT_EQ(search(notes, -1, 0, 0, false, On(0, 0, 65)).found, (EventPos{0, 1}));
}

TEST(TrackBeats, DeleteBeatShortensCrossingNotesAndTakesItsOwnNotesWhole) {
    Track t;
    // 60 crosses into beat 3, so ends at 575; 62 starts in beat 3 and goes with its
    // end; 64 lies wholly inside it; a later note end of key 62 stays.
    const Timeline in = {{100, On(0, 60)},   {600, Off(0, 60)}, {580, On(0, 62)},
                         {1000, Off(0, 62)}, {590, On(0, 64)},  {700, Off(0, 64)},
                         {800, Cc(0, 7, 1)}, {1100, Off(0, 62)}};
    Add(t, in);
    ASSERT_TRUE(t.AddSysexEvent(650, {0xF0, 1, 0xF7}));
    ASSERT_TRUE(t.DeleteBeat(3));
    const Timeline out = {
        {100, On(0, 60)}, {575, Off(0, 60)}, {608, Cc(0, 7, 1)}, {908, Off(0, 62)}};
    EXPECT_EQ(Events(t), out);
    EXPECT_EQ(t.BeatCount(), 5u);
    EXPECT_EQ(t.Sysex().Count(), 0u);

    Track first;
    Add(first, {{50, Off(0, 60)}, {300, Cc(0, 1, 1)}});
    ASSERT_TRUE(first.DeleteBeat(0));
    EXPECT_EQ(Events(first), (Timeline{{108, Cc(0, 1, 1)}}));
    EXPECT_FALSE(first.DeleteBeat(1));
}

TEST(TrackBeats, ClearBeatEmptiesTheBeatAndEndsNotesThatCrossIt) {
    Track t;
    // A velocity-0 end; a doubled note whose both starts end at 500; a later
    // note of the same key keeps its end.
    const Timeline in = {{0, On(0, 60)},    {200, On(0, 60, 0)}, {210, On(0, 62)},
                         {250, On(0, 62)},  {500, Off(0, 62)},   {600, On(0, 62)},
                         {700, Off(0, 62)}, {220, Cc(0, 7, 1)}};
    Add(t, in);
    ASSERT_TRUE(t.AddSysexEvent(230, {0xF0, 0xF7}));
    ASSERT_TRUE(t.ClearBeat(1));
    EXPECT_EQ(t.BeatCount(), 4u);
    EXPECT_TRUE(t.Bucket(1)->Empty());
    EXPECT_EQ(Events(t),
              (Timeline{{0, On(0, 60)}, {191, On(0, 60, 0)}, {600, On(0, 62)}, {700, Off(0, 62)}}));
    EXPECT_EQ(t.Sysex().Count(), 0u);

    // At beat 0 there is nowhere earlier to end a note: stray ends stay.
    Track first;
    Add(first, {{5, Off(0, 61)}, {10, On(0, 60)}, {20, Off(0, 60)}, {30, Cc(0, 1, 1)}});
    ASSERT_TRUE(first.ClearBeat(0));
    EXPECT_EQ(Events(first), (Timeline{{5, Off(0, 61)}}));
}

TEST(TrackBeats, InsertBeatAndTruncateNotesAt) {
    Track t;
    Add(t, {{10, On(0, 60)}, {500, Off(0, 60)}, {200, On(0, 61)}, {300, Off(0, 61)}});
    ASSERT_TRUE(t.InsertBeat(1));
    EXPECT_EQ(Events(t),
              (Timeline{{10, On(0, 60)}, {392, On(0, 61)}, {492, Off(0, 61)}, {692, Off(0, 60)}}));
    EXPECT_TRUE(t.InsertBeat(-1));
    EXPECT_EQ(t.BeatCount(), 5u);
    EXPECT_FALSE(t.InsertBeat(6));

    // Notes crossing beat 2 end at tick 383, sorted into their beat; the
    // note starting at beat 2 is not touched.
    ASSERT_TRUE(t.AddEvent(380, On(0, 62)));
    ASSERT_TRUE(t.AddEvent(500, Off(0, 62)));
    ASSERT_TRUE(t.TruncateNotesAt(2));
    const Timeline truncated = {{10, On(0, 60)},   {380, On(0, 62)}, {383, Off(0, 60)},
                                {383, Off(0, 62)}, {392, On(0, 61)}, {492, Off(0, 61)}};
    EXPECT_EQ(Events(t), truncated);
    EXPECT_TRUE(t.TruncateNotesAt(0));
    EXPECT_TRUE(t.TruncateNotesAt(100));
}

TEST(TrackMoves, MoveNoteKeepsItsLengthAndMoveEventKeepsSysexBytes) {
    Track t;
    Add(t, {{10, On(0, 60)}, {20, Cc(0, 1, 1)}, {100, Off(0, 60)}});
    ASSERT_TRUE(t.MoveNote(0, 0, 500));
    EXPECT_EQ(Events(t), (Timeline{{20, Cc(0, 1, 1)}, {500, On(0, 60)}, {590, Off(0, 60)}}));
    ASSERT_TRUE(t.MoveNote(2, 0, 5));  // back into a beat, sorted there
    EXPECT_EQ(Events(t), (Timeline{{5, On(0, 60)}, {20, Cc(0, 1, 1)}, {95, Off(0, 60)}}));
    EXPECT_FALSE(t.MoveNote(0, 1, 0));            // not a note on
    EXPECT_FALSE(t.MoveNote(0, 0, 0xFFFFFFF0u));  // its end would pass the last tick
    Track unpaired;
    unpaired.AddEvent(0, On(0, 60));
    EXPECT_FALSE(unpaired.MoveNote(0, 0, 300));
    EXPECT_EQ(Events(unpaired), (Timeline{{0, On(0, 60)}}));

    ASSERT_TRUE(t.AddSysexEvent(30, {0xF0, 0x43, 0xF7}));
    ASSERT_EQ((*t.Bucket(0))[3].message, SysexMessage(1));
    ASSERT_TRUE(t.MoveEvent(0, 3, 1000));
    ASSERT_NE(t.Sysex().Find(1), nullptr);
    EXPECT_EQ(t.Sysex().Find(1)->bytes, (std::vector<std::uint8_t>{0xF0, 0x43, 0xF7}));
    ASSERT_TRUE(t.MoveEvent(0, 1, 4));  // within its beat: sorted there
    EXPECT_EQ(
        Events(t),
        (Timeline{{4, Cc(0, 1, 1)}, {5, On(0, 60)}, {95, Off(0, 60)}, {1000, SysexMessage(1)}}));
    EXPECT_FALSE(t.MoveEvent(0, 3, 0));
}

TEST(TrackSysex, IdsCountUpAreNeverReusedAndClonesCopyTheBytes) {
    Track t;
    ASSERT_TRUE(t.AddSysexEvent(0, {0xF0, 1, 0xF7}));
    ASSERT_TRUE(t.AddSysexEvent(0, {0xF0, 2, 0xF7}));
    EXPECT_EQ(Events(t), (Timeline{{0, SysexMessage(1)}, {0, SysexMessage(2)}}));
    ASSERT_TRUE(t.DeleteEvent(0, 1));
    EXPECT_EQ(t.Sysex().Find(2), nullptr);
    EXPECT_FALSE(t.Sysex().Remove(2));
    EXPECT_EQ(t.Sysex().Add({0xF0, 3, 0xF7}), 3u);
    EXPECT_EQ(t.Sysex().Add(std::unique_ptr<SysexBlock>()), 0u);

    t.properties.name.Set("Lead");
    std::unique_ptr<Track> copy = t.Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Events(*copy), Events(t));
    EXPECT_EQ(copy->properties, t.properties);
    EXPECT_EQ(copy->Sysex().LastId(), 3u);
    ASSERT_NE(copy->Sysex().Find(1), nullptr);
    EXPECT_NE(copy->Sysex().Find(1), t.Sysex().Find(1));

    t.Sysex().Clear();
    EXPECT_EQ(t.Sysex().Add({0xF0, 0xF7}), 1u);
    EXPECT_EQ(copy->Sysex().Find(1)->bytes, (std::vector<std::uint8_t>{0xF0, 1, 0xF7}));
}

}  // namespace
}  // namespace kvs
