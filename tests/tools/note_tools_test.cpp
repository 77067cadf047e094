#include <gtest/gtest.h>

#include <algorithm>

#include "tool_test_support.h"
#include "tools/note_tools.h"
#include "tools/tool_random.h"

namespace kvs {
namespace {

using test::AddNote;
using test::B;
using test::Notes;
using test::PairedNote;

TEST(Transpose, ClampsKeysAtTheEdgesAndCarriesTheNoteEnd) {
    Track track;
    AddNote(track, 0, 50, 120);
    AddNote(track, 10, 2 * B + 5, 5);              // end beyond the range
    track.AddEvent(20, PackMessage(0x90, 64, 0));  // a velocity-0 end keeps its form
    track.AddEvent(5, test::On(0, 64));
    test::SortAll(track);
    Transpose(track, {0, 1}, 12);
    Transpose(track, {0, 1}, -24);  // 120 -> 127 -> 103; 5 -> 17 -> 0; 64 -> 76 -> 52
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{
                                {0, 50, 103, 100}, {5, 20, 52, 100}, {10, 2 * B + 5, 0, 100}}));
    bool zeroEnd = false;
    for (const auto& [tick, message] : test::Events(track))
        zeroEnd |= tick == 20 && message == PackMessage(0x90, 52, 0);
    EXPECT_TRUE(zeroEnd);
}

TEST(Transpose, AnUnpairedNoteOnEndsTheScanOfItsBeatOnly) {
    Track track;
    AddNote(track, 10, 20, 60);
    track.AddEvent(30, test::On(0, 61));  // never ended
    AddNote(track, 40, 50, 62);
    AddNote(track, B + 10, B + 20, 63);
    test::SortAll(track);
    Transpose(track, {0, 2}, 1);
    const auto notes = Notes(track);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0].key, 60) << "before the unpaired note: left alone";
    EXPECT_EQ(notes[1].key, 61);
    EXPECT_EQ(notes[2].key, 63) << "after it in the same beat: transposed";
    EXPECT_EQ(notes[3].key, 64) << "later beat: transposed";
}

TEST(ChangeVelocity, ScalesWithinOneTo127AndWritesTrueNoteOffsToo) {
    Track track;
    AddNote(track, 0, 10, 60, 1);
    AddNote(track, 20, 30, 61, 100);
    track.AddEvent(40, test::On(0, 62, 80));
    track.AddEvent(50, PackMessage(0x90, 62, 0));
    test::SortAll(track);
    ChangeVelocity(track, {0, 1}, 50, 0);
    EXPECT_EQ(Notes(track)[0].velocity, 1) << "the floor is 1";
    EXPECT_EQ(Notes(track)[1].velocity, 50);
    EXPECT_EQ(Notes(track)[2].velocity, 40);
    ChangeVelocity(track, {0, 1}, 200, 10);
    EXPECT_EQ(Notes(track)[1].velocity, 110);
    ChangeVelocity(track, {0, 1}, 200, 0);
    EXPECT_EQ(Notes(track)[1].velocity, 127);
    const auto events = test::Events(track);
    EXPECT_EQ(Data2(events[3].second), 127) << "the true note off follows";
    EXPECT_EQ(events.back().second, PackMessage(0x90, 62, 0)) << "a velocity-0 end stays 0";
}

TEST(TimeGlide, StopsAtTheSongStartKeepingEndsAfterTheirNotes) {
    Track track;
    AddNote(track, 100, 150, 60);
    track.AddEvent(120, test::Cc(0, 7, 90));
    track.AddSysexEvent(130, {0xF0, 1, 0xF7});
    test::SortAll(track);
    TimeGlide(track, {0, 1}, -192);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{0, 1, 60, 100}}));
    const auto events = test::Events(track);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].first, 0u);  // controller and SysEx at 0 too
    EXPECT_EQ(track.Sysex().Count(), 1u);
    TimeGlide(track, {0, 1}, 400);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{400, 401, 60, 100}}));
    const SysexBlock* block = track.Sysex().Find(SysexId(test::Events(track)[1].second));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->bytes, (std::vector<std::uint8_t>{0xF0, 1, 0xF7}));
}

TEST(TimeExpand, ScalesFromTheRangeStartAndNeverLandsAnEndOnItsNote) {
    Track track;
    AddNote(track, 400, 447, 60);
    AddNote(track, 100, 110, 61);  // before the range: untouched
    track.AddEvent(2 * B, test::Cc(0, 1, 1));
    test::SortAll(track);
    TimeExpand(track, {2, 4}, 200);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{100, 110, 61, 100}, {416, 510, 60, 100}}));

    Track shrink;
    AddNote(shrink, 2 * B, 2 * B + 50, 60);         // on base, end 2B+0 -> base+1
    AddNote(shrink, 2 * B + 100, 2 * B + 150, 62);  // both to base + 1 at 1 %
    test::SortAll(shrink);
    TimeExpand(shrink, {2, 3}, 1);
    EXPECT_EQ(Notes(shrink), (std::vector<PairedNote>{{2 * B, 2 * B + 1, 60, 100},
                                                      {2 * B + 1, 2 * B + 2, 62, 100}}));
}

TEST(TimeExpand, LongTracksDoNotWrapAround) {
    Track track;
    const Tick far = 20000 * B;  // far * 5000 passes 2^32
    AddNote(track, far, far + 10, 60);
    test::SortAll(track);
    TimeExpand(track, {0, 20001}, 500);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{5 * far, 5 * far + 50, 60, 100}}));
    TimeExpand(track, {0, track.BeatCount()}, 5000);  // beyond any track: left in place
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{5 * far, 5 * far + 50, 60, 100}}));
}

TEST(QuantiseTick, SnapsToTheNearestGridPointEarlierOnATie) {
    EXPECT_EQ(QuantiseTick(4, 100, 0, 23), 0u);
    EXPECT_EQ(QuantiseTick(4, 100, 0, 24), 0u);
    EXPECT_EQ(QuantiseTick(4, 100, 0, 25), 48u);
    EXPECT_EQ(QuantiseTick(4, 100, 0, 170), 192u) << "the next beat's first tick";
    EXPECT_EQ(QuantiseTick(4, 50, 0, 200), 196u);
    EXPECT_EQ(QuantiseTick(5, 100, 0, 191), 190u) << "192 is no grid point for 5";
    EXPECT_EQ(QuantiseTick(5, 100, 0, 3 * B + 20), 3 * B + 38);
    EXPECT_EQ(QuantiseTick(1, 100, 0, 95), 0u);
    EXPECT_EQ(QuantiseTick(96, 100, 0, 7), 6u);
}

TEST(QuantiseTick, SwingMovesOnlyPointsInsideTheirPair) {
    EXPECT_EQ(QuantiseTick(4, 100, 50, 50), 72u);
    EXPECT_EQ(QuantiseTick(4, 50, 50, 50), 72u) << "carried position 73, one tick off";
    EXPECT_EQ(QuantiseTick(4, 100, 50, 100), 96u) << "96 starts its pair";
    EXPECT_EQ(QuantiseTick(4, 100, -50, 50), 24u) << "negative swing advances";
    EXPECT_EQ(QuantiseTick(4, 100, 50, B + 150), B + 168u) << "second pair 96..192";
    EXPECT_EQ(QuantiseTick(8, 100, 100, 25), 48u) << "pair 0..48 for eighths of a beat";
    EXPECT_EQ(QuantiseTick(2, 100, 50, 90), 144u) << "pair is the whole beat";
    EXPECT_EQ(QuantiseTick(3, 100, 50, 60), 64u + 64) << "odd: the whole beat";
    // Carried positions below the grid point scale towards lo.
    EXPECT_EQ(QuantiseTick(4, 0, 50, 40), 60u);
}

TEST(Quantise, MovesNoteOnsKeepingLengthsAndLeavesOtherEvents) {
    Track track;
    AddNote(track, 25, 60, 60);
    AddNote(track, 170, 300, 62);
    track.AddEvent(30, test::Cc(0, 1, 1));
    test::SortAll(track);
    Quantise(track, {0, 1}, 4, 100, 0);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{48, 83, 60, 100}, {192, 322, 62, 100}}));
    EXPECT_EQ(test::Events(track)[0], (test::TimedMessage{30, test::Cc(0, 1, 1)}));
    const auto before = test::Events(track);
    Quantise(track, {0, 2}, 4, 0, 50);
    EXPECT_EQ(test::Events(track), before) << "strictness 0 does nothing";
}

TEST(QuantiseLength, MakesLengthsWholeStepsOfAtLeastOne) {
    Track track;
    AddNote(track, 0, 39, 60);     // inclusive length 40
    AddNote(track, 100, 199, 61);  // 100
    AddNote(track, 300, 309, 62);  // 10
    test::SortAll(track);
    QuantiseLength(track, {0, 2}, 4, 100);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{
                                {0, 47, 60, 100}, {100, 195, 61, 100}, {300, 347, 62, 100}}));
}

TEST(Humanise, ShiftsEachNoteByTheSharedSequenceWithinTheMaximum) {
    Track track;
    for (Tick t = 0; t < 20; ++t)
        AddNote(track, 100 + t * 50, 120 + t * 50, 60);
    test::SortAll(track);
    SeedToolRandom(7);
    Humanise(track, {0, track.BeatCount()}, 10);
    SeedToolRandom(7);
    std::vector<PairedNote> want;
    // Scanned from the last note backwards.
    for (Tick t = 20; t-- > 0;) {
        const Tick on = 100 + t * 50 + ToolRandom() % 21 - 10;
        want.push_back({on, on + 20, 60, 100});
    }
    std::sort(want.begin(), want.end(), [](auto& a, auto& b) { return a.on < b.on; });
    EXPECT_EQ(Notes(track), want);
}

TEST(SetLength, LengthensOnlyWhereNoNoteOfTheSameKeyIsInTheWay) {
    Track track;
    AddNote(track, 0, 95, 60);     // 96 -> 192: up to 191, free
    AddNote(track, 400, 495, 62);  // blocked by the key-62 note at 500
    AddNote(track, 500, 520, 62);
    AddNote(track, 1000, 1095, 64);  // ends exactly where the next starts: allowed
    AddNote(track, 1191, 1200, 64);
    test::SortAll(track);
    SetLength(track, {0, 6}, 100, 0);
    const auto same = Notes(track);
    EXPECT_EQ(same[0], (PairedNote{0, 95, 60, 100}));
    SetLength(track, {0, 6}, 200, 0);
    const auto notes = Notes(track);
    EXPECT_EQ(notes[0], (PairedNote{0, 191, 60, 100}));
    EXPECT_EQ(notes[1], (PairedNote{400, 495, 62, 100}));
    EXPECT_EQ(notes[2], (PairedNote{500, 541, 62, 100}));
    EXPECT_EQ(notes[3], (PairedNote{1000, 1191, 64, 100}));
    EXPECT_EQ(notes[4].on, 1191u);
    EXPECT_NE(notes[4].off, 0u);
    SetLength(track, {0, 1}, 0, -100);
    EXPECT_EQ(Notes(track)[0], (PairedNote{0, 1, 60, 100})) << "never shorter than 2";
}

TEST(Legato, EndsEachNoteBeforeTheNextNoteOnAndKeepsTheLast) {
    Track track;
    AddNote(track, 0, 50, 60);
    AddNote(track, B, B + 100, 62);
    AddNote(track, B + 200, B + 250, 64);
    AddNote(track, B + 210, B + 300, 65);  // begins before the last note end
    test::SortAll(track);
    Legato(track, {0, 3}, 0);
    EXPECT_EQ(Notes(track), (std::vector<PairedNote>{{0, B - 1, 60, 100},
                                                     {B, B + 199, 62, 100},
                                                     {B + 200, B + 250, 64, 100},
                                                     {B + 210, B + 300, 65, 100}}));
    Legato(track, {0, 3}, 300);
    EXPECT_EQ(Notes(track)[0], (PairedNote{0, 1, 60, 100})) << "never before tick 1";
    EXPECT_EQ(Notes(track)[1], (PairedNote{B, B + 1, 62, 100})) << "never on its note on";
}

TEST(Legato, VelocityZeroEndsAreNoNextNote) {
    // A chord ending with velocity-0 note ons, then the next chord.
    Track track;
    for (std::uint8_t key : {60, 64}) {
        track.AddEvent(0, test::On(0, key));
        track.AddEvent(90, PackMessage(0x90, key, 0));
        track.AddEvent(96, test::On(0, static_cast<std::uint8_t>(key - 8)));
        track.AddEvent(180, PackMessage(0x90, static_cast<std::uint8_t>(key - 8), 0));
    }
    test::SortAll(track);
    Legato(track, {0, 1}, 0);
    const auto notes = Notes(track);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0].off, 95u);
    EXPECT_EQ(notes[1].off, 95u);
    EXPECT_EQ(notes[2].off, 180u);
}

}  // namespace
}  // namespace kvs
