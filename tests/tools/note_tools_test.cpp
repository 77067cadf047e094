#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string_view>
#include <tuple>

#include "model/song.h"
#include "model/value_message.h"
#include "tool_test_support.h"
#include "tools/more_tools.h"
#include "tools/note_tools.h"
#include "tools/note_transform.h"
#include "tools/tool_table.h"

namespace kvs {
namespace {

using test::B;
using test::Cc;
using test::Fill;
using test::NoteList;
using test::Notes;
using test::Off;
using test::On;
using test::Tempo;
using Timed = std::vector<test::TimedMessage>;

// The notes after the named tool ran over range with the dialog's values.
NoteList After(std::string_view tool, const std::vector<std::int32_t>& values, ToolRange range,
               const NoteList& notes) {
    Song song;
    song.InsertTrack();
    Fill(*song.GetTrack(0), notes);
    ValueDialog dialog = Tools().Find(tool)->NewDialog();
    for (std::size_t i = 0; i < values.size(); ++i)
        dialog.fields[i].value = values[i];
    Tools().Find(tool)->fromValues(dialog)(song, 0, range);
    return Notes(*song.GetTrack(0));
}

TEST(NoteTools, KeysVelocitiesTimesAndLengthsFollowTheirRules) {
    struct Case {
        std::string_view tool;
        std::vector<std::int32_t> values;
        ToolRange range;
        NoteList in, out;
    };
    // clang-format off
    const NoteList edges{{0, 50, 120}, {10, 2 * B + 5, 5}};  // an end beyond the range
    const NoteList velocities{{0, 10, 60, 1}, {20, 30, 61, 100}, {40, 50, 62, 80}};
    // Half way, 175 % (clamped), the very end, after the range.
    const auto ramp = [](int v1, int v2, int v3) {
        return NoteList{{0, 10, 60, 60}, {2 * B, 2 * B + 10, 61, v1}, {3 * B, 3 * B + 10, 62, v2},
                        {3 * B + 191, 4 * B, 64, v3}, {5 * B, 5 * B + 10, 63, 60}};
    };
    const Tick far = 20000 * B;  // far * 5000 passes 2^32
    // Free up to 191; blocked by the key-62 note at 500; ending exactly where
    // the next key-64 note starts is allowed.
    const NoteList crowded{{0, 95, 60}, {400, 495, 62}, {500, 520, 62}, {1000, 1095, 64},
                           {1191, 1200, 64}};
    // The last begins before the one before it ends.
    const auto phrase = [](Tick end0, Tick end1) {
        return NoteList{{0, end0, 60}, {B, end1, 62}, {B + 200, B + 250, 64}, {B + 210, B + 300, 65}};
    };
    const Case cases[] = {
        {"transpose", {12}, {0, 1}, edges, {{0, 50, 127}, {10, 2 * B + 5, 17}}},
        {"transpose", {-24}, {0, 1}, edges, {{0, 50, 96}, {10, 2 * B + 5, 0}}},
        {"change-velocity", {50, 0}, {0, 1}, velocities,
         {{0, 10, 60, 1}, {20, 30, 61, 50}, {40, 50, 62, 40}}},
        {"change-velocity", {200, 10}, {0, 1}, velocities,
         {{0, 10, 60, 12}, {20, 30, 61, 127}, {40, 50, 62, 127}}},
        {"velocity-crescendo", {200}, {0, 4}, ramp(60, 100, 1), ramp(90, 127, 1)},
        {"velocity-crescendo", {1}, {0, 4}, ramp(60, 100, 1), ramp(30, 26, 1)},
        // A glide stops at the song start, keeping the end after its note.
        {"time-glide", {-192}, {0, 1}, {{100, 150, 60}}, {{0, 1, 60}}},
        // Expands from the range start; at 1 % all lands on it, ends one after.
        {"time-expand", {200}, {2, 4}, {{100, 110, 61}, {400, 447, 60}},
         {{100, 110, 61}, {416, 510, 60}}},
        {"time-expand", {1}, {2, 3}, {{2 * B, 2 * B + 50, 60}, {2 * B + 100, 2 * B + 150, 62}},
         {{2 * B, 2 * B + 1, 60}, {2 * B + 1, 2 * B + 2, 62}}},
        {"time-expand", {500}, {0, 20001}, {{far, far + 10, 60}}, {{5 * far, 5 * far + 50, 60}}},
        {"time-expand", {5000}, {0, 100001}, {{5 * far, 5 * far + 50, 60}},
         {{5 * far, 5 * far + 50, 60}}},  // beyond any track: left in place
        {"quantise", {4, 100, 0}, {0, 1}, {{25, 60, 60}, {170, 300, 62}},
         {{48, 83, 60}, {192, 322, 62}}},
        {"quantise", {4, 0, 50}, {0, 1}, {{25, 60, 60}}, {{25, 60, 60}}},  // strictness 0
        {"quantise-length", {4, 100}, {0, 2}, {{0, 39, 60}, {100, 199, 61}, {300, 309, 62}},
         {{0, 47, 60}, {100, 195, 61}, {300, 347, 62}}},
        {"set-length", {200, 0}, {0, 6}, crowded,
         {{0, 191, 60}, {400, 495, 62}, {500, 541, 62}, {1000, 1191, 64}, {1191, 1200, 64}}},
        {"set-length", {0, -100}, {0, 1}, {{0, 95, 60}}, {{0, 1, 60}}},  // never shorter than 2
        {"legato", {0}, {0, 3}, phrase(50, B + 100), phrase(B - 1, B + 199)},
        // Never before tick 1 nor on its own note on.
        {"legato", {300}, {0, 3}, phrase(50, B + 100), phrase(1, B + 1)},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(After(c.tool, c.values, c.range, c.in), c.out) << c.tool << " " << c.values[0];
    Track track;  // quantising leaves other events where they are
    Fill(track, {{25, 60, 60}}, {{30, Cc(0, 1, 1)}});
    Quantise(track, {0, 1}, 4, 100, 0);
    EXPECT_EQ(test::Events(track)[0], (test::TimedMessage{30, Cc(0, 1, 1)}));
}

// Tools that rewrite notes in place stop a beat's backward scan at a note on
// without an end, leaving the beat's earlier notes; the others skip only it.
TEST(NoteTools, ANoteWithoutAnEndStopsItsBeatOnlyForTheToolsThatRewriteNotes) {
    TransformMap forty{};
    forty.fill(40);
    // clang-format off
    const std::function<void(Track&)> stopping[] = {
        [](Track& t) { Transpose(t, {0, 2}, 1); },
        [](Track& t) { ChangeVelocity(t, {0, 2}, 50, 0); },
        [](Track& t) { VelocityCrescendo(t, {0, 2}, 200); },
        [](Track& t) { NoteReplace(t, {0, 2}, 60, 64); },
        [&](Track& t) { TransformNotes(t, 0, 2, forty, 0); },
        [](Track& t) { SetChannel(t, {0, 2}, 9); },  // from here on: skipping
        [](Track& t) { DeleteNotes(t, {0, 2}, 0, 127); },
    };
    // clang-format on
    for (std::size_t n = 0; n < std::size(stopping); ++n) {
        Track track;
        Fill(track, {{10, 20, 60}, {40, 50, 60}, {B + 10, B + 20, 60}},
             {{30, On(1, 60)}});  // never ended
        const auto before = test::Events(track);
        stopping[n](track);
        const auto after = test::Events(track);
        const auto kept = [&](std::size_t i) {
            return std::find(after.begin(), after.end(), before[i]) != after.end();
        };
        EXPECT_EQ(kept(0), n < 5) << n;
        EXPECT_TRUE(kept(2)) << n;
        EXPECT_FALSE(kept(3) || kept(5)) << n;
    }
}

TEST(NoteTools, TrueNoteOffsTakeTheNewVelocityAndVelocityZeroEndsStayZero) {
    Track track;
    Fill(track, {{0, 10, 60}}, {{20, On(0, 61)}, {30, On(0, 61, 0)}});
    ChangeVelocity(track, {0, 1}, 50, 0);
    VelocityCrescendo(track, {0, 1}, 150);
    EXPECT_EQ(
        test::Events(track),
        (Timed{{0, On(0, 60, 50)}, {10, Off(0, 60, 50)}, {20, On(0, 61, 52)}, {30, On(0, 61, 0)}}));
}

TEST(QuantiseTick, SnapsToTheNearestGridPointEarlierOnATieAndSwingsInsidePairs) {
    // clang-format off
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, Tick, Tick> cases[] = {
        {4, 100, 0, 24, 0},  // a tie goes earlier
        {4, 100, 0, 25, 48}, {4, 50, 0, 200, 196}, {96, 100, 0, 7, 6}, {1, 100, 0, 95, 0},
        {4, 100, 0, 170, 192},  // the next beat's first tick
        {5, 100, 0, 191, 190},  // 192 is no grid point for 5
        {5, 100, 0, 3 * B + 20, 3 * B + 38},
        {4, 100, 50, 50, 72},
        {4, 50, 50, 50, 72},    // carried position 73, one tick off
        {4, 100, 50, 100, 96},  // 96 starts its pair
        {4, 100, -50, 50, 24},  // negative swing advances
        {4, 100, 50, B + 150, B + 168},  // second pair 96..192
        {2, 100, 50, 90, 144},  // the pair is the whole beat
        {3, 100, 50, 60, 128},  // odd: the whole beat
        {4, 0, 50, 40, 60},     // below the grid point: towards lo
    };
    // clang-format on
    for (const auto& [division, strictness, swing, tick, expected] : cases)
        EXPECT_EQ(QuantiseTick(division, strictness, swing, tick), expected)
            << division << " " << strictness << " " << swing << " " << tick;
}

TEST(Legato, VelocityZeroEndsAreNoNextNote) {
    Track chords;
    for (std::uint8_t key : {60, 64}) {
        const auto low = static_cast<std::uint8_t>(key - 8);
        test::Add(chords,
                  {{0, On(0, key)}, {90, On(0, key, 0)}, {96, On(0, low)}, {180, On(0, low, 0)}});
    }
    test::SortAll(chords);
    Legato(chords, {0, 1}, 0);
    EXPECT_EQ(Notes(chords), (NoteList{{0, 95, 60}, {0, 95, 64}, {96, 180, 52}, {96, 180, 56}}));
}

TEST(SetChannel, MovesNotesWithTheirEndsAndChannelEventsButNotOthers) {
    Track track;  // the note off at 20 ends a note begun before the range
    Fill(track, {{10, 3 * B, 60}}, {{20, Off(1, 50)}, {30, Cc(3, 7, 90)}, {50, Tempo(120)}});
    Fill(track, {}, {{40, PackMessage(0xE4, 0, 64)}, {B + 10, Cc(3, 7, 90)}});
    SetChannel(track, {0, 1}, 9);
    const Timed want = {{10, On(9, 60)},    {20, Off(1, 50)},
                        {30, Cc(9, 7, 90)}, {40, PackMessage(0xE9, 0, 64)},
                        {50, Tempo(120)},   {B + 10, Cc(3, 7, 90)},
                        {3 * B, Off(9, 60)}};
    EXPECT_EQ(test::Events(track), want);
}

TEST(ChangeControllers, ScalesEachTypeWithinItsRangeKeepingTheChannel) {
    Track track;
    Fill(track, {}, {{0, Tempo(120)}, {1, Tempo(15)}, {2, Cc(3, 7, 120)}, {3, Cc(3, 10, 120)}});
    Fill(track, {}, {{4, PackMessage(0xE2, 0, 0x60)}});  // bend 4096
    const auto at = [&](std::size_t i) { return test::Events(track)[i].second; };
    ChangeControllers(track, {0, 1}, 131, 50, 0);
    EXPECT_EQ(at(0), Tempo(60));
    EXPECT_EQ(at(1), Tempo(10)) << "the minimum";
    ChangeControllers(track, {0, 1}, 7, 100, 20);
    EXPECT_EQ(at(2), Cc(3, 7, 127));
    EXPECT_EQ(at(3), Cc(3, 10, 120)) << "another controller";
    ChangeControllers(track, {0, 1}, 130, 300, -100);
    EXPECT_EQ(at(4), PackMessage(0xE2, 0x7F, 0x7F)) << "bend 8191";
    ChangeControllers(track, {0, 1}, 130, 0, -16000);
    EXPECT_EQ(at(4), PackMessage(0xE2, 0, 0)) << "bend -8192";
    ControllerRenumber(track, {0, 1}, 10, 91);
    EXPECT_EQ(at(3), Cc(3, 91, 120));
}

TEST(DeleteEvents, NotesGoWithTheirEndsAndControllersByTypeOnAnyChannel) {
    Track track;  // an end after the range; a key outside it; a note after it
    Fill(track, {{10, 3 * B, 60}, {20, 30, 80}, {B + 10, B + 20, 62}},
         {{50, Cc(0, 7, 1)}, {60, Cc(5, 7, 2)}, {70, Cc(5, 8, 3)}, {80, Tempo(90)}});
    DeleteNotes(track, {0, 1}, 60, 79);
    DeleteControllers(track, {0, 1}, 7);
    DeleteControllers(track, {0, 1}, 131);
    EXPECT_EQ(Notes(track), (NoteList{{20, 30, 80}, {B + 10, B + 20, 62}}));
    EXPECT_EQ(track.EventCount(), 5u);
    EXPECT_EQ(test::Events(track)[2], (test::TimedMessage{70, Cc(5, 8, 3)}));
}

TEST(Reverse, MirrorsTheRangeKeepingLengths) {
    Track track;
    Fill(track, {{0, 95, 60, 90}}, {{100, Cc(0, 7, 1)}, {200, On(1, 62, 80)}, {250, On(1, 62, 0)}});
    Reverse(track, {0, 2});
    EXPECT_EQ(test::Events(track), (Timed{{134, On(1, 62, 80)},
                                          {184, Off(1, 62, 0)},
                                          {284, Cc(0, 7, 1)},
                                          {289, On(0, 60, 90)},
                                          {384, Off(0, 60)}}));
    // A note beyond the range's end starts just after its first tick; one
    // starting on the range's last tick must still start before it ends.
    EXPECT_EQ(After("reverse", {}, {0, 1}, {{B - 1, 3 * B, 60}, {B - 10, 2 * B, 61}}),
              (NoteList{{0, 1, 60}, {1, 10, 61}}));
}

TEST(ChannelSplit, AppendsATrackPerUsedChannelInOrderAndLeavesTheSourceAlone) {
    Song song;
    song.InsertTrack();
    Track& source = *song.GetTrack(0);
    source.properties.name.Set("Piano");
    source.properties.program = 5;
    // Two notes on channel 1 share one end; one never ends and is left out.
    Fill(source, {{20, 30, 61}}, {{80, Tempo(90)}});
    Fill(source, {{40, 50, 62}}, {{45, On(1, 62)}, {60, On(1, 70)}, {70, Cc(1, 7, 80)}}, 1);
    Fill(source, {{10, B + 10, 60}}, {}, 9);
    Fill(source, {{B + 20, B + 30, 63}}, {}, 3);  // after the range
    const auto before = test::Events(source);

    ASSERT_EQ(ChannelSplit(song, 0, {0, 1}), 3u);
    ASSERT_EQ(song.TrackCount(), 4u);
    EXPECT_EQ(test::Events(*song.GetTrack(0)), before);
    EXPECT_EQ(song.GetTrack(3)->properties.channel, 9);
    EXPECT_EQ(song.GetTrack(3)->properties.program, 5);
    EXPECT_EQ(test::Events(*song.GetTrack(1)),
              (Timed{{20, On(0, 61)}, {30, Off(0, 61)}, {80, Tempo(90)}}));
    EXPECT_EQ(test::Events(*song.GetTrack(2)),
              (Timed{{40, On(1, 62)}, {45, On(1, 62)}, {50, Off(1, 62)}, {70, Cc(1, 7, 80)}}));
    EXPECT_EQ(Notes(*song.GetTrack(3)), (NoteList{{10, B + 10, 60}}));
    EXPECT_EQ(ChannelSplit(song, 0, {1, 1}), 0u) << "an empty range";
    EXPECT_EQ(ChannelSplit(song, 0, {5, 9}), 0u) << "no events";
}

TEST(SplitNotes, SortsNotesByTheInclusiveBoundsAndCopiesOtherEventsToBoth) {
    Song song;
    song.InsertTrack();
    Track& source = *song.GetTrack(0);
    source.properties.channel = 4;
    // Inclusive lengths 11, 768, 769 and 11.
    Fill(source, {{0, 10, 59, 40}, {20, 787, 60, 50}, {30, 798, 71, 60}, {40, 50, 72, 127}},
         {{60, Cc(0, 64, 127)}});
    const auto keys = [&](std::uint32_t t) {
        std::vector<int> out;
        for (const test::PairedNote& n : Notes(*song.GetTrack(t)))
            out.push_back(n.key);
        return out;
    };
    ASSERT_EQ(SplitNotes(song, 0, {0, 1}, SplitBy::Key, 60, 71), 2u);
    EXPECT_EQ(song.GetTrack(2)->properties.name.View(), "><");
    EXPECT_EQ(keys(1), (std::vector<int>{60, 71}));
    EXPECT_EQ(keys(2), (std::vector<int>{59, 72}));
    EXPECT_EQ(song.GetTrack(2)->EventCount(), 5u);
    ASSERT_EQ(SplitNotes(song, 0, {0, 1}, SplitBy::Length, 1, 768), 2u);
    EXPECT_EQ(keys(3), (std::vector<int>{59, 60, 72}));
    // Every note in one part: the other still takes the controller.
    ASSERT_EQ(SplitNotes(song, 0, {0, 1}, SplitBy::Key, 0, 127), 2u);
    EXPECT_EQ(song.GetTrack(6)->EventCount(), 1u);
}

}  // namespace
}  // namespace kvs
