#include <gtest/gtest.h>

#include "edit_test_support.h"
#include "model/track_copy.h"

namespace kvs {
namespace {

using test::Add;
using test::Cc;
using test::Dump;
using test::EditFixture;
using test::Events;
using test::Off;
using test::On;
using test::TimedMessage;
using test::Timeline;

constexpr Tick B = TICKS_PER_BEAT;

TEST(EditClipboard, CopyTakesNotesBegunInTheRangeWholeAndLeavesOthersBehind) {
    EditFixture f;
    // A two-beat note from beat 7; a note begun before the range; a note
    // without an end; a controller.
    const Timeline in = {{7 * B, On(0, 60)},  {7 * B + 383, Off(0, 60)}, {3 * B, On(0, 50)},
                         {5 * B, Off(0, 50)}, {6 * B, On(0, 70)},        {6 * B + 5, Cc(0, 7, 90)}};
    Add(f.T(), in);
    f.Select(8, 4);  // the order of anchor and caret does not matter
    ASSERT_EQ(f.session.Copy(), EditResult::Done);
    // The note runs one beat past the range, so the clipboard is 5 beats long.
    EXPECT_EQ(f.session.ClipboardLength(), 5u);
    const Timeline copied = {
        {2 * B + 5, Cc(0, 7, 90)}, {3 * B, On(0, 60)}, {3 * B + 383, Off(0, 60)}};
    EXPECT_EQ(Events(*f.session.Clipboard()), copied);
    EXPECT_EQ(f.T().EventCount(), 6u);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
    EXPECT_EQ(f.session.GetSong().modified, 0u);

    // Empty beats at the end of the range are not kept; no events, no length.
    f.Select(4, 6);  // an end and a note without one
    ASSERT_EQ(f.session.Copy(), EditResult::Done);
    EXPECT_EQ(f.session.ClipboardLength(), 0u);
    EXPECT_EQ(f.session.Paste(), EditResult::EmptyClipboard);
    f.Select(4, 4);
    EXPECT_EQ(f.session.Copy(), EditResult::NoSelection);
}

TEST(EditClipboard, PastingInsideANoteCutsItWhileMergingLeavesItWhole) {
    for (bool paste : {true, false}) {
        SCOPED_TRACE(paste ? "paste" : "merge");
        EditFixture f;
        Add(f.T(), {{0, On(0, 40)}, {4 * B + 10, Off(0, 40)}, {8 * B, Cc(0, 1, 1)}});
        f.Select(8, 9);
        ASSERT_EQ(f.session.Copy(), EditResult::Done);
        f.Select(2, 2);
        ASSERT_EQ(paste ? f.session.Paste() : f.session.Merge(), EditResult::Done);
        const Timeline pasted = {
            {0, On(0, 40)}, {2 * B - 1, Off(0, 40)}, {2 * B, Cc(0, 1, 1)}, {9 * B, Cc(0, 1, 1)}};
        const Timeline merged = {
            {0, On(0, 40)}, {2 * B, Cc(0, 1, 1)}, {4 * B + 10, Off(0, 40)}, {8 * B, Cc(0, 1, 1)}};
        EXPECT_EQ(Events(f.T()), paste ? pasted : merged);
        EXPECT_EQ(f.selection.Caret(), 3u);
        EXPECT_EQ(f.session.GetSong().modified, 1u);
        EXPECT_EQ(f.session.UndoIndex(), 0);
    }
}

TEST(EditClipboard, MultipleCopiesFollowEachOtherAndACancelledCountChangesNothing) {
    EditFixture f;
    Add(f.T(), {{0, On(0, 60)}, {B + 20, Off(0, 60)}, {5 * B, Cc(0, 7, 1)}});
    f.Select(0, 1);
    ASSERT_EQ(f.session.Copy(), EditResult::Done);
    ASSERT_EQ(f.session.ClipboardLength(), 2u);

    f.Select(5, 5);
    EXPECT_EQ(f.session.PasteMultiple(), EditResult::Cancelled);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
    EXPECT_EQ(f.session.GetSong().modified, 0u);
    EXPECT_EQ(f.ask.asked.back(), "edit_pastemulti_title 1..1000 @1");

    f.ask.numbers = {3};
    ASSERT_EQ(f.session.PasteMultiple(), EditResult::Done);
    const Timeline events = Events(f.T());
    const Timeline third = {{9 * B, On(0, 60)}, {10 * B + 20, Off(0, 60)}, {11 * B, Cc(0, 7, 1)}};
    ASSERT_EQ(events.size(), 9u);
    EXPECT_EQ(Timeline(events.begin() + 6, events.end()), third);
    EXPECT_EQ(f.selection.Caret(), 11u);

    // Merged copies overlap the music instead of moving it.
    f.ask.numbers = {2};
    f.Select(0, 0);
    ASSERT_EQ(f.session.MergeMultiple(), EditResult::Done);
    EXPECT_EQ(f.ask.asked.back(), "edit_mergemulti_title 1..1000 @1");
    EXPECT_EQ(f.T().BeatCount(), 12u);
    EXPECT_EQ(f.T().Bucket(2)->Count(), 1u);
    EXPECT_EQ(f.selection.Caret(), 4u);
    EXPECT_EQ(f.session.PasteMultiple(0), EditResult::BadValue);
    EXPECT_EQ(f.session.MergeMultiple(1001), EditResult::BadValue);
}

// The exchange itself is checked by the random edits.
TEST(EditUndo, UndoGoesToTheTrackTheCopyCameFrom) {
    EditFixture f(2);
    Add(f.T(), {{0, On(0, 60)}, {B * 3, Off(0, 60)}, {B * 4, Cc(0, 7, 1)}});
    const std::string original = Dump(f.T());
    EXPECT_EQ(f.session.Undo(), EditResult::NoUndo);
    f.Select(1, 2);
    ASSERT_EQ(f.session.ClearBeats(), EditResult::Done);
    f.session.SetCurrentTrack(1);
    ASSERT_EQ(f.session.Undo(), EditResult::Done);
    EXPECT_EQ(f.session.CurrentTrack(), 0);
    EXPECT_EQ(Dump(f.T()), original);
    EXPECT_GT(f.link.locks, 0);
    f.session.DiscardUndo();
    EXPECT_EQ(f.session.Undo(), EditResult::NoUndo);
}

TEST(EditBeats, DeleteWithAnEmptySelectionRemovesOneColumnFromTheAnchor) {
    EditFixture f;
    for (std::uint32_t beat = 0; beat < 20; ++beat)
        f.T().AddEvent(beat * B, Cc(0, 1, static_cast<std::uint8_t>(beat)));
    f.selection.SetZoom(4);
    f.Select(10, 10);
    ASSERT_EQ(f.session.DeleteBeats(), EditResult::Done);
    EXPECT_EQ(f.T().BeatCount(), 16u);
    EXPECT_EQ(Data2((*f.T().Bucket(9))[0].message), 9);
    EXPECT_EQ(Data2((*f.T().Bucket(10))[0].message), 14);
    EXPECT_EQ(f.selection.Caret(), 10u);

    // Refused while the engine plays, like every edit that moves beats.
    f.link.idle = false;
    EXPECT_EQ(f.session.DeleteBeats(), EditResult::EngineBusy);
    EXPECT_EQ(f.session.InsertBeats(), EditResult::EngineBusy);
    EXPECT_EQ(f.session.Cut(), EditResult::EngineBusy);
    EXPECT_EQ(f.T().BeatCount(), 16u);
}

TEST(EditBeats, CutCopiesThenDeletesInsertLengthensNotesCrossingTheCaretAndClearEndsThem) {
    EditFixture f;
    Add(f.T(), {{0, On(0, 60)}, {3 * B + 10, Off(0, 60)}, {2 * B, Cc(0, 1, 1)}});
    f.Select(2, 3);
    ASSERT_EQ(f.session.Cut(), EditResult::Done);
    EXPECT_EQ(f.session.ClipboardLength(), 1u);
    EXPECT_EQ(Events(f.T()), (Timeline{{0, On(0, 60)}, {2 * B + 10, Off(0, 60)}}));
    EXPECT_EQ(f.selection.Anchor(), 2u);

    f.selection.SetZoom(2);
    f.Select(3, 1);
    ASSERT_EQ(f.session.InsertBeats(), EditResult::Done);
    EXPECT_EQ(Events(f.T()), (Timeline{{0, On(0, 60)}, {4 * B + 10, Off(0, 60)}}));
    EXPECT_EQ(f.selection.Caret(), 3u);  // the selection collapses onto the anchor

    // Clearing ends notes before the range and keeps the selection.
    Add(f.T(), {{3 * B, On(0, 62)}, {9 * B, Off(0, 62)}, {3 * B, Cc(0, 7, 1)}});
    f.selection.SetZoom(1);
    f.Select(4, 3);
    ASSERT_EQ(f.session.ClearBeats(), EditResult::Done);
    EXPECT_EQ(Events(f.T()), (Timeline{{0, On(0, 60)}, {3 * B - 1, Off(0, 60)}}));
    EXPECT_EQ(f.selection.Anchor(), 4u);
    EXPECT_EQ(f.selection.Caret(), 3u);
}

TEST(EditFind, ForwardPassesTheFirstEventOfTheNextBeatAndBackwardStartsBeforeTheCaret) {
    EditFixture f;
    const Timeline in = {{4 * B, Cc(1, 7, 1)}, {4 * B + 1, Cc(2, 7, 2)}, {6 * B, Cc(3, 10, 3)},
                         {2 * B, Cc(0, 7, 4)}, {3 * B + 9, Cc(0, 7, 5)}, {3 * B + 10, Cc(0, 7, 6)}};
    Add(f.T(), in);
    f.session.SetSearch({PackMessage(0xB0, 7), 0});  // controller 7, forward
    f.Select(3, 3);
    ASSERT_EQ(f.session.FindNext(), EditResult::Done);
    EXPECT_EQ(f.selection.Caret(), 4u) << "the second event of beat 4, on another channel";
    EXPECT_EQ(f.selection.Anchor(), 4u);
    EXPECT_EQ(f.session.FindNext(), EditResult::NotFound);
    EXPECT_EQ(f.ask.asked.back(), "error_notfound");

    // Backward: begins with the last event of the beat before the caret.
    f.session.SetSearch({PackMessage(0xB0, 0xFF), 1});  // any controller
    f.Select(4, 4);
    f.link.idle = false;
    ASSERT_EQ(f.session.FindNext(), EditResult::Done);
    EXPECT_EQ(f.selection.Caret(), 3u);
    EXPECT_EQ(f.link.moves, std::vector<std::uint32_t>{3u}) << "playback follows";
    ASSERT_EQ(f.session.FindNext(), EditResult::Done);
    EXPECT_EQ(f.selection.Caret(), 2u);
}

TEST(EditFind, WithoutASearchFindNextAsksFirstStartingOnMiddleC) {
    EditFixture f;
    Add(f.T(), {{5 * B, On(3, 61)}, {5 * B + 9, Off(3, 61)}, {7 * B, On(0, 61)}});
    EXPECT_EQ(f.session.FindNext(), EditResult::Cancelled);
    ASSERT_TRUE(f.ask.findShown);
    EXPECT_EQ(f.ask.findShown->value, PackMessage(0x90, 60));
    EXPECT_EQ(f.session.Search().value, 0u);

    f.ask.finds = {{PackMessage(0x90, 61), 0}};
    ASSERT_EQ(f.session.FindNext(), EditResult::Done);
    EXPECT_EQ(f.selection.Caret(), 5u);
    ASSERT_EQ(f.session.FindNext(), EditResult::Done);  // no dialog now
    EXPECT_EQ(f.selection.Caret(), 7u);
    EXPECT_EQ(f.ask.asked, (std::vector<std::string>{"find", "find"}));

    f.session.SetCurrentTrack(-1);
    EXPECT_EQ(f.session.FindNext(), EditResult::NoTrack);
}

TEST(EditClipboard, APasteThatWouldMakeTheTrackTooLongIsRefusedWhole) {
    EditFixture f;
    Add(f.T(), {{0, Cc(0, 1, 1)}, {3 * B, Cc(0, 1, 2)}});
    f.Select(0, 1);
    ASSERT_EQ(f.session.Copy(), EditResult::Done);
    f.Select(kMaxTrackBeats - 500, kMaxTrackBeats - 500);
    EXPECT_EQ(f.session.PasteMultiple(1000), EditResult::Failed);
    EXPECT_EQ(f.session.MergeMultiple(1000), EditResult::Failed);
    EXPECT_EQ(f.T().BeatCount(), 4u);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
}

}  // namespace
}  // namespace kvs
