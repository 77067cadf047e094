#include <gtest/gtest.h>

#include <vector>

#include "model/song.h"
#include "model/value_message.h"
#include "tool_test_support.h"
#include "tools/more_tools.h"

namespace kvs {
namespace {

using test::AddNote;
using test::B;
using test::Notes;
using test::PairedNote;
using test::TimedMessage;
using Bytes = std::vector<std::uint8_t>;

TEST(SetChannel, MovesNotesWithTheirEndsAndChannelEventsButNotOthers) {
    Track track;
    AddNote(track, 10, 3 * B, 60, 100, 2);  // ends after the range
    track.AddEvent(20, test::Off(1, 50));   // its note began before the range
    track.AddEvent(30, test::Cc(3, 7, 90));
    track.AddEvent(40, PackMessage(0xE4, 0, 64));  // pitch bend
    track.AddEvent(50, PackMessage(EVT_TEMPO, 120));
    track.AddSysexEvent(60, {0xF0, 1, 0xF7});
    track.AddEvent(70, test::On(5, 70));         // never ended
    track.AddEvent(B + 10, test::Cc(3, 7, 90));  // after the range
    test::SortAll(track);
    SetChannel(track, {0, 1}, 9);
    const auto events = test::Events(track);
    EXPECT_EQ(events[0].second, test::On(9, 60));
    EXPECT_EQ(events[1].second, test::Off(1, 50));
    EXPECT_EQ(events[2].second, test::Cc(9, 7, 90));
    EXPECT_EQ(events[3].second, PackMessage(0xE9, 0, 64));
    EXPECT_EQ(events[4].second, PackMessage(EVT_TEMPO, 120));
    EXPECT_TRUE(IsSysex(events[5].second));
    EXPECT_EQ(events[6].second, test::On(5, 70));
    EXPECT_EQ(events[7].second, test::Cc(3, 7, 90));
    EXPECT_EQ(events[8], TimedMessage(3 * B, test::Off(9, 60)));
}

TEST(NoteReplace, ChangesOnlyTheFoundKeyAndStopsItsBeatAtANoteWithoutEnd) {
    Track track;
    AddNote(track, 10, 20, 60);
    track.AddEvent(30, test::On(0, 60));  // never ended
    AddNote(track, 40, B + 5, 60);
    AddNote(track, 50, 60, 61);
    AddNote(track, B + 10, B + 20, 60);
    test::SortAll(track);
    NoteReplace(track, {0, 2}, 60, 64);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{10, 20, 60, 100},
                                                     {30, 0, 60, 100},
                                                     {40, B + 5, 64, 100},
                                                     {50, 60, 61, 100},
                                                     {B + 10, B + 20, 64, 100}}));
}

TEST(VelocityCrescendo, ScalesLinearlyFromTheRangeStartAndKeepsVelocityZeroEnds) {
    Track track;
    AddNote(track, 0, 10, 60, 60);
    AddNote(track, 2 * B, 2 * B + 10, 61, 60);  // half way
    track.AddEvent(3 * B, test::On(0, 62, 100));
    track.AddEvent(3 * B + 10, PackMessage(0x90, 62, 0));
    AddNote(track, 5 * B, 5 * B + 10, 63, 60);  // after the range
    test::SortAll(track);
    VelocityCrescendo(track, {0, 4}, 200);
    const auto notes = Notes(track);
    EXPECT_EQ(notes[0].velocity, 60);
    EXPECT_EQ(notes[1].velocity, 90);
    EXPECT_EQ(notes[2].velocity, 127) << "175 % of 100, clamped";
    EXPECT_EQ(notes[3].velocity, 60);
    const auto events = test::Events(track);
    EXPECT_EQ(events[3].second, test::Off(0, 61, 90)) << "a true note off follows";
    EXPECT_EQ(events[5].second, PackMessage(0x90, 62, 0)) << "a velocity-0 end stays one";

    VelocityCrescendo(track, {0, 4}, 1);      // fades to almost nothing, never to 0
    EXPECT_EQ(Notes(track)[2].velocity, 33);  // 26 % of 127
    Track quiet;
    AddNote(quiet, 3 * B + 191, 4 * B, 60, 1);
    test::SortAll(quiet);
    VelocityCrescendo(quiet, {0, 4}, 1);
    EXPECT_EQ(Notes(quiet)[0].velocity, 1);
}

TEST(ChangeControllers, ScalesEachTypeWithinItsRangeKeepingTheChannel) {
    Track track;
    track.AddEvent(0, PackMessage(EVT_TEMPO, 120));
    track.AddEvent(1, PackMessage(EVT_TEMPO, 15));
    track.AddEvent(2, test::Cc(3, 7, 120));
    track.AddEvent(3, test::Cc(3, 10, 120));
    track.AddEvent(4, PackMessage(0xE2, 0, 0x60));  // bend 4096
    test::SortAll(track);
    ChangeControllers(track, {0, 1}, 131, 50, 0);
    EXPECT_EQ(test::Events(track)[0].second, PackMessage(EVT_TEMPO, 60));
    EXPECT_EQ(test::Events(track)[1].second, PackMessage(EVT_TEMPO, 10)) << "the minimum";
    ChangeControllers(track, {0, 1}, 7, 100, 20);
    EXPECT_EQ(test::Events(track)[2].second, test::Cc(3, 7, 127));
    EXPECT_EQ(test::Events(track)[3].second, test::Cc(3, 10, 120)) << "another controller";
    ChangeControllers(track, {0, 1}, 130, 300, -100);
    EXPECT_EQ(test::Events(track)[4].second, PackMessage(0xE2, 0x7F, 0x7F)) << "bend 8191";
    ChangeControllers(track, {0, 1}, 130, 0, -16000);
    EXPECT_EQ(test::Events(track)[4].second, PackMessage(0xE2, 0, 0)) << "bend -8192";

    ControllerRenumber(track, {0, 1}, 10, 91);
    EXPECT_EQ(test::Events(track)[3].second, test::Cc(3, 91, 120));
    EXPECT_EQ(test::Events(track)[2].second, test::Cc(3, 7, 127));
}

TEST(DeleteEvents, NotesGoWithTheirEndsAndControllersByTypeOnAnyChannel) {
    Track track;
    AddNote(track, 10, 3 * B, 60);        // end after the range
    AddNote(track, 20, 30, 80);           // key outside the range
    track.AddEvent(40, test::On(0, 61));  // never ended: stays
    track.AddEvent(50, test::Cc(0, 7, 1));
    track.AddEvent(60, test::Cc(5, 7, 2));
    track.AddEvent(70, test::Cc(5, 8, 3));
    track.AddEvent(80, PackMessage(EVT_TEMPO, 90));
    AddNote(track, B + 10, B + 20, 62);  // after the range
    test::SortAll(track);
    DeleteNotes(track, {0, 1}, 60, 79);
    DeleteControllers(track, {0, 1}, 7);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{
                                {20, 30, 80, 100}, {40, 0, 61, 100}, {B + 10, B + 20, 62, 100}}));
    DeleteControllers(track, {0, 1}, 131);
    for (const auto& [tick, message] : test::Events(track)) {
        EXPECT_NE(ValueKindOf(message), 7u) << tick;
        EXPECT_NE(Kind(message), EVT_TEMPO) << tick;
    }
    EXPECT_EQ(test::Events(track).size(), 6u);  // two notes, the lone note on, controller 8
}

TEST(Reverse, MirrorsTheRangeKeepingLengthsAndSwappingEndVelocities) {
    Track track;
    AddNote(track, 0, 95, 60, 90);
    track.AddEvent(100, test::Cc(0, 7, 1));
    track.AddSysexEvent(150, {0xF0, 7, 0xF7});
    track.AddEvent(200, test::On(1, 62, 80));
    track.AddEvent(250, PackMessage(0x91, 62, 0));  // velocity-0 end
    test::SortAll(track);
    Reverse(track, {0, 2});
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{134, 184, 62, 80}, {289, 384, 60, 90}}));
    const auto events = test::Events(track);
    EXPECT_EQ(events[1], TimedMessage(184, PackMessage(0x81, 62, 0)));
    EXPECT_EQ(events[2], TimedMessage(234, events[2].second));
    const SysexBlock* block = track.Sysex().Find(SysexId(events[2].second));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->bytes, (Bytes{0xF0, 7, 0xF7}));
    EXPECT_EQ(track.Sysex().Count(), 1u);
    EXPECT_EQ(events[3], TimedMessage(284, test::Cc(0, 7, 1)));

    // A note beyond the range's end starts just after its first tick; one
    // starting on the range's last tick must still start before it ends.
    Track crossing;
    AddNote(crossing, B - 1, 3 * B, 60);
    AddNote(crossing, B - 10, 2 * B, 61);
    test::SortAll(crossing);
    Reverse(crossing, {0, 1});
    EXPECT_EQ(Notes(crossing), (std::vector<PairedNote>{{0, 1, 60, 100}, {1, 10, 61, 100}}));
}

// Events of a track with the SysEx blocks they name in place of their ids.
std::vector<std::pair<Tick, Bytes>> SysexOf(const Track& track) {
    std::vector<std::pair<Tick, Bytes>> out;
    for (const auto& [tick, message] : test::Events(track))
        if (IsSysex(message)) out.emplace_back(tick, track.Sysex().Find(SysexId(message))->bytes);
    return out;
}

TEST(ChannelSplit, AppendsATrackPerUsedChannelInOrderAndLeavesTheSourceAlone) {
    Song song;
    song.InsertTrack();
    Track& source = *song.GetTrack(0);
    source.properties.name.Set("Piano");
    source.properties.program = 5;
    AddNote(source, 10, B + 10, 60, 100, 9);
    AddNote(source, 20, 30, 61, 100, 0);
    AddNote(source, 40, 50, 62, 100, 1);
    source.AddEvent(45, test::On(1, 62));  // shares the end at 50 with the note at 40
    source.AddEvent(60, test::On(1, 70));  // never ended: left out
    source.AddEvent(70, test::Cc(1, 7, 80));
    source.AddEvent(80, PackMessage(EVT_TEMPO, 90));
    source.AddSysexEvent(90, {0xF0, 1, 0xF7});
    AddNote(source, B + 20, B + 30, 63, 100, 3);  // after the range
    test::SortAll(source);
    const auto before = test::Events(source);

    EXPECT_EQ(ChannelSplit(song, 0, {0, 1}), 3u);
    ASSERT_EQ(song.TrackCount(), 4u);
    EXPECT_EQ(test::Events(*song.GetTrack(0)), before);
    const std::uint16_t channels[] = {0, 1, 9};
    for (std::uint32_t t = 1; t < 4; ++t) {
        const Track& part = *song.GetTrack(t);
        EXPECT_EQ(part.properties.channel, channels[t - 1]);
        EXPECT_TRUE(part.properties.name.Empty());
        EXPECT_EQ(part.properties.program, 5);
    }
    EXPECT_EQ(test::Events(*song.GetTrack(1)),
              (std::vector<TimedMessage>{{20, test::On(0, 61)},
                                         {30, test::Off(0, 61)},
                                         {80, PackMessage(EVT_TEMPO, 90)},
                                         {90, test::Events(*song.GetTrack(1))[3].second}}));
    EXPECT_EQ(SysexOf(*song.GetTrack(1)),
              (std::vector<std::pair<Tick, Bytes>>{{90, {0xF0, 1, 0xF7}}}));
    EXPECT_EQ(song.GetTrack(1)->Sysex().Count(), 1u);
    EXPECT_EQ(test::Events(*song.GetTrack(2)),
              (std::vector<TimedMessage>{{40, test::On(1, 62)},
                                         {45, test::On(1, 62)},
                                         {50, test::Off(1, 62)},
                                         {70, test::Cc(1, 7, 80)}}));
    EXPECT_EQ(Notes(*song.GetTrack(3)), (std::vector<PairedNote>{{10, B + 10, 60, 100}}));

    EXPECT_EQ(ChannelSplit(song, 0, {1, 1}), 0u) << "an empty range";
    EXPECT_EQ(ChannelSplit(song, 0, {5, 9}), 0u) << "no events";
    EXPECT_EQ(song.TrackCount(), 4u);
}

TEST(SplitNotes, SortsNotesByTheCriterionAndCopiesOtherEventsToBoth) {
    Song song;
    song.InsertTrack();
    Track& source = *song.GetTrack(0);
    source.properties.channel = 4;
    AddNote(source, 0, 10, 59, 40);
    AddNote(source, 20, 20 + 767, 60, 50);  // 768 ticks long
    AddNote(source, 30, 30 + 768, 71, 60);  // 769
    AddNote(source, 40, 50, 72, 127);
    source.AddEvent(60, test::Cc(0, 64, 127));
    source.AddSysexEvent(70, {0xF0, 2, 0xF7});
    test::SortAll(source);
    auto keys = [&](std::uint32_t t) {
        std::vector<int> out;
        for (const PairedNote& n : Notes(*song.GetTrack(t))) {
            EXPECT_NE(n.off, 0u);
            out.push_back(n.key);
        }
        return out;
    };

    ASSERT_EQ(SplitNotes(song, 0, {0, 1}, SplitBy::Key, 60, 71), 2u);
    EXPECT_EQ(song.GetTrack(1)->properties.name.View(), "<>");
    EXPECT_EQ(song.GetTrack(2)->properties.name.View(), "><");
    EXPECT_EQ(song.GetTrack(2)->properties.channel, 4);
    EXPECT_EQ(keys(1), (std::vector<int>{60, 71}));
    EXPECT_EQ(keys(2), (std::vector<int>{59, 72}));
    for (std::uint32_t t = 1; t <= 2; ++t) {
        EXPECT_EQ(song.GetTrack(t)->EventCount(), 6u) << t;
        EXPECT_EQ(SysexOf(*song.GetTrack(t)),
                  (std::vector<std::pair<Tick, Bytes>>{{70, {0xF0, 2, 0xF7}}}));
    }

    ASSERT_EQ(SplitNotes(song, 0, {0, 1}, SplitBy::Length, 1, 768), 2u);
    EXPECT_EQ(keys(3), (std::vector<int>{59, 60, 72}));
    EXPECT_EQ(keys(4), (std::vector<int>{71}));
    ASSERT_EQ(SplitNotes(song, 0, {0, 1}, SplitBy::Velocity, 50, 60), 2u);
    EXPECT_EQ(keys(5), (std::vector<int>{60, 71}));

    // Every note in one part: the other still takes the controller and SysEx.
    ASSERT_EQ(SplitNotes(song, 0, {0, 1}, SplitBy::Key, 0, 127), 2u);
    EXPECT_EQ(song.GetTrack(8)->EventCount(), 2u);
    EXPECT_EQ(song.TrackCount(), 9u);
}

}  // namespace
}  // namespace kvs
