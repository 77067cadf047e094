#include "ui/note_view.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/song.h"

namespace kvs {
namespace {

// Adds a note of [start, start + length) as the editor does: the note off on
// its last tick.
void AddNote(Track& t, std::uint32_t start, std::uint32_t length, std::uint32_t key,
             std::uint32_t channel = 0) {
    t.AddEvent(start, PackMessage(static_cast<std::uint8_t>(0x90 | channel),
                                  static_cast<std::uint8_t>(key), 100));
    t.AddEvent(start + length - 1, PackMessage(static_cast<std::uint8_t>(0x80 | channel),
                                               static_cast<std::uint8_t>(key), 64));
    for (std::uint32_t b = 0; b < t.BeatCount(); ++b)
        SortBucket(*t.Bucket(b));
}

struct Recorder : NoteViewListener, NotePreview {
    std::vector<NoteViewNotify> notes;
    std::vector<std::uint32_t> commands;
    std::vector<std::uint32_t> previews;  // opening message, closing, port, ticks
    int ended = 0;
    void OnNoteViewNotify(NoteViewNotify code) override { notes.push_back(code); }
    void OnNoteViewCommand(std::uint32_t id) override { commands.push_back(id); }
    void PreviewNote(std::uint32_t on, std::uint32_t off, std::uint32_t port,
                     std::uint32_t ticks) override {
        previews = {on, off, port, ticks};
    }
    void EndPreview() override { ++ended; }
};

class NoteViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        song.InsertTrack();
        view.SetListener(&rec);
        view.SetPreview(&rec);
        view.SetFontMetrics(8, 10);    // margin 40
        view.SetClientSize(340, 200);  // width 300, 20 rows
        view.SetSong(&song);
        view.SetTrack(0);
    }
    Track& track() { return *song.GetTrack(0); }

    Song song;
    Recorder rec;
    NoteView view;
};

TEST_F(NoteViewTest, KeysMoveTheCaretBySnapBeatAndKey) {
    view.SetCursor(100);
    view.KeyDown(NoteViewKey::Right, false, false, false);
    EXPECT_EQ(view.Cursor(), 144u);
    view.SetCursor(100);
    view.KeyDown(NoteViewKey::Left, false, false, false);
    EXPECT_EQ(view.Cursor(), 48u);
    view.KeyDown(NoteViewKey::Left, false, true, false);
    EXPECT_EQ(view.Cursor(), 0u);
    view.KeyDown(NoteViewKey::Right, false, true, false);
    EXPECT_EQ(view.Cursor(), 192u);
    view.KeyDown(NoteViewKey::End, false, false, false);
    EXPECT_EQ(view.Cursor(), 336u);  // last snap position of the one-beat page
    view.KeyDown(NoteViewKey::Home, false, false, false);
    EXPECT_EQ(view.Cursor(), 192u);

    view.SetCursor(0, 126);
    view.KeyDown(NoteViewKey::Up, false, false, false);
    view.KeyDown(NoteViewKey::Up, false, false, false);
    EXPECT_EQ(view.CursorKey(), 127u);
    EXPECT_EQ(view.TopKey(), 127u);  // the top row follows the caret
    view.SetCursor(0, 120);
    view.KeyDown(NoteViewKey::Up, false, true, false);
    EXPECT_EQ(view.CursorKey(), 127u);
    view.SetCursor(0, 5);
    view.KeyDown(NoteViewKey::Down, false, true, false);
    EXPECT_EQ(view.CursorKey(), 0u);
    EXPECT_EQ(view.TopKey(), 19u);  // 20 rows, key 0 at the bottom

    rec.notes.clear();
    view.KeyDown(NoteViewKey::F5, false, false, false);
    view.KeyDown(NoteViewKey::F8, false, false, false);
    view.KeyDown(NoteViewKey::Enter, false, false, false);
    view.KeyDown(NoteViewKey::F4, false, false, true);
    view.SetMnemonics({{'I', 2402}});
    EXPECT_TRUE(view.KeyDown(NoteViewKey::Other, true, false, false, 'I'));
    EXPECT_FALSE(view.KeyDown(NoteViewKey::Other, false, false, false, 'Q'));
    EXPECT_EQ(rec.notes, (std::vector{NoteViewNotify::StepDown, NoteViewNotify::BigStepUp}));
    EXPECT_EQ(rec.commands, (std::vector<std::uint32_t>{2404, 2, 2402}));
}

TEST_F(NoteViewTest, ClickSnapsToTheNearestPositionAndScrollingPullsTheCaret) {
    view.SetCursor(0, 60);
    view.MouseDown(40 + 100, 25);  // a third of the way: tick 64
    EXPECT_EQ(view.Cursor(), 48u);
    EXPECT_EQ(view.CursorKey(), 70u);  // row 2 below top key 72
    EXPECT_TRUE(view.Focused());

    AddNote(track(), 0, 192 * 10, 60);
    view.ScrollHorizontal(ScrollAction::PageForward);
    EXPECT_EQ(view.FirstTick(), 192u);
    EXPECT_EQ(view.Cursor(), 192u);
    view.ScrollHorizontal(ScrollAction::Drag, 5);
    view.ScrollHorizontal(ScrollAction::PageBack);
    EXPECT_EQ(view.FirstTick(), 4u * 192);
    EXPECT_EQ(view.Cursor(), 4u * 192 + 144);

    const ScrollBarState bar = view.VerticalBar();
    view.ScrollVertical(ScrollAction::Drag, bar.position);
    EXPECT_EQ(view.TopKey(), 72u);
    view.ScrollVertical(ScrollAction::Drag, 127);
    EXPECT_EQ(view.TopKey(), 19u);
    EXPECT_EQ(view.CursorKey(), 19u);
}

TEST_F(NoteViewTest, NotesAroundTheWindowAreListedAndClipped) {
    AddNote(track(), 3 * 192 + 96, 3 * 192, 60);                // beats 3 to 6
    AddNote(track(), 0, 48, 60);                                // ended long before
    AddNote(track(), 4 * 192 + 48, 48, 62);                     // inside the window
    track().AddEvent(4 * 192 + 10, PackMessage(0x90, 64, 90));  // never ends
    SortBucket(*track().Bucket(4));
    view.SetZoom(2);
    view.SetCursor(4 * 192, 60);
    EXPECT_EQ(view.FirstTick(), 4u * 192);
    EXPECT_EQ(view.Notes().size(), 2u);

    NoteFrame frame;
    view.BuildFrame(frame);
    ASSERT_TRUE(frame.selected.has_value());
    EXPECT_EQ(*frame.selected, (CellRect{40, 120, 300, 10}));  // margin to right edge
    ASSERT_EQ(frame.notes.size(), 1u);
    EXPECT_EQ(frame.notes[0], (CellRect{40 + 37, 100, 37, 10}));
    EXPECT_EQ(frame.beatLines, (std::vector<std::int32_t>{40, 190}));
    ASSERT_EQ(frame.labels.size(), 20u);
    EXPECT_EQ(frame.labels[0].text, "C5");
    EXPECT_EQ(frame.labels[19].y, 190);

    view.SetSong(nullptr);
    view.BuildFrame(frame);
    EXPECT_TRUE(frame.labels.empty());
}

TEST_F(NoteViewTest, SelectionAuditionsAndAltArrowsWalkTheNotes) {
    track().properties.channel = 3;
    track().properties.port = 2;
    AddNote(track(), 10, 40, 64);   // the first event of beat 0, after the caret
    AddNote(track(), 10, 40, 67);   // a chord
    AddNote(track(), 400, 20, 60);  // a later beat
    view.Refresh(false);

    view.SetCursor(0, 60);
    rec.notes.clear();
    view.KeyDown(NoteViewKey::Right, false, false, true);
    EXPECT_EQ(view.Cursor(), 10u);
    EXPECT_EQ(view.CursorKey(), 64u);
    EXPECT_EQ(view.Selected(), (EventPos{0, 0}));
    EXPECT_EQ(rec.previews, (std::vector<std::uint32_t>{0x644093, 0x404083, 2, 39}));
    EXPECT_EQ(rec.notes, (std::vector{NoteViewNotify::Selection, NoteViewNotify::Cursor}));
    view.KeyDown(NoteViewKey::Right, false, false, true);
    EXPECT_EQ(view.CursorKey(), 67u);
    view.KeyDown(NoteViewKey::Right, false, false, true);
    EXPECT_EQ(view.Cursor(), 400u);
    EXPECT_EQ(view.FirstTick(), 384u);
    view.KeyDown(NoteViewKey::Right, false, false, true);  // nothing further
    EXPECT_EQ(view.Cursor(), 400u);
    view.KeyDown(NoteViewKey::Left, false, false, true);
    EXPECT_EQ(view.Cursor(), 10u);
    EXPECT_EQ(view.CursorKey(), 67u);

    const int ended = rec.ended;
    view.KeyDown(NoteViewKey::Up, false, false, false);
    EXPECT_FALSE(view.Selected().Found());
    EXPECT_GT(rec.ended, ended);
    view.SetCursor(49, 64);  // the note off's tick lies outside the note
    EXPECT_FALSE(view.Selected().Found());
}

}  // namespace
}  // namespace kvs
