#include "ui/track_view.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "model/song.h"

namespace kvs {
namespace {

constexpr std::uint32_t kNoteOn = 0x403C90;  // C4, velocity 64
constexpr std::uint32_t kNoteOff = 0x3C80;
constexpr std::uint32_t kControl = 0x4007B0;
using N = TrackViewNotify;
using Codes = std::vector<TrackViewNotify>;
using Pair = std::pair<std::uint32_t, std::uint32_t>;

struct Recorder : TrackViewListener, TrackViewPainter {
    Codes codes;
    std::set<std::uint32_t> rows;
    void OnTrackViewNotify(TrackViewNotify code) override { codes.push_back(code); }
    void RepaintAll() override {}
    void RepaintRow(std::uint32_t row) override { rows.insert(row); }
    void ScrollBarsChanged() override {}
    void CaretMoved() override {}
    void Clear() { codes.clear(), rows.clear(); }
};

// 10 px columns and 20 px rows in a 400 x 200 client: 40 columns, 10 rows.
class TrackViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.SetListener(&rec);
        view.SetPainter(&rec);
        view.SetFontMetrics(10, 20);
        view.SetClientSize(400, 200);
    }
    Track& AddTrack(std::uint32_t beats, std::initializer_list<std::uint32_t> noteBeats = {}) {
        song.InsertTrack();
        Track& track = *song.GetTrack(song.TrackCount() - 1);
        track.EnsureBeats(beats);
        for (std::uint32_t b : noteBeats)
            track.AddEvent(b * 192, kNoteOn);
        return track;
    }
    void Show() {
        view.SetSong(&song);
        rec.Clear();
    }
    void Key(TrackViewKey key, bool shift = false, bool ctrl = false, int times = 1) {
        for (int i = 0; i < times; ++i)
            EXPECT_TRUE(view.KeyDown(key, shift, ctrl));
    }
    void At(std::uint32_t beat) { view.Select(beat, beat); }
    Pair Beats() const { return {view.Anchor(), view.Caret()}; }

    Song song;
    TrackView view;
    Recorder rec;
};

TEST_F(TrackViewTest, GlyphsShowEndOverNotesOverOtherEvents) {
    Track& t = AddTrack(6, {0});
    t.AddEvent(2 * 192 + 100, kNoteOff);
    t.AddEvent(5 * 192, kControl);
    AddTrack(0);
    Track& other = AddTrack(9);
    other.AddEvent(1 * 192, kControl);
    other.AddEvent(4 * 192, 0x3C90);  // velocity-0 note on still draws as a note
    Show();
    view.SetZoom(4);
    EXPECT_EQ(view.RowText(0), "*|" + std::string(38, ' '));
    EXPECT_EQ(view.RowText(1), "|" + std::string(39, ' '));
    EXPECT_EQ(view.RowText(2), ".*|" + std::string(37, ' '));
    EXPECT_EQ(view.RowText(3), "");  // no track there
    view.SetZoom(1);
    EXPECT_EQ(view.RowText(0).substr(0, 8), "* *  .| ");

    // A row never grows past 200 columns, however wide the window.
    view.SetClientSize(5000, 200);
    EXPECT_EQ(view.RowText(0).size(), 200u);
    EXPECT_EQ(view.VisibleBeats(), 200u);
}

TEST_F(TrackViewTest, PlainMovesCollapseAndShiftMovesExtendTheSelection) {
    AddTrack(20);
    Show();
    view.SetZoom(4);
    At(5);
    Key(TrackViewKey::Right);
    EXPECT_EQ(view.Caret(), 8u);
    Key(TrackViewKey::Left);
    EXPECT_EQ(view.Caret(), 4u);
    At(6);
    Key(TrackViewKey::Left);
    EXPECT_EQ(view.Caret(), 4u);

    view.SetZoom(1);
    At(0);
    rec.Clear();
    Key(TrackViewKey::Right, true, false, 3);
    EXPECT_EQ(Beats(), Pair(0, 3));
    EXPECT_EQ(view.SelectionRect(), (CellRect{0, 0, 30, 20}));
    EXPECT_EQ(rec.codes, Codes(3, N::Position));
    rec.Clear();
    Key(TrackViewKey::Left);
    EXPECT_EQ(Beats(), Pair(2, 2));
    EXPECT_FALSE(view.SelectionRect());
    EXPECT_EQ(rec.rows, std::set<std::uint32_t>{0});  // the old highlight is wiped

    At(8);
    Key(TrackViewKey::Left, true);
    EXPECT_EQ(view.SelectionWord(), 7u * 65536 + 8);
    EXPECT_EQ(view.SelectionRect(), (CellRect{70, 0, 10, 20}));

    At(0);  // Left at 0 moves nothing and so tells nothing
    rec.Clear();
    Key(TrackViewKey::Left);
    EXPECT_TRUE(rec.codes.empty());
    At(TrackView::kMaxKeyBeat);
    Key(TrackViewKey::Right);
    Key(TrackViewKey::End, false, true);
    EXPECT_EQ(view.Caret(), TrackView::kMaxKeyBeat);
}

TEST_F(TrackViewTest, HomeEndAndDataBlocks) {
    // Data in 0-3 and 8-9; beats 4-7 hold only note ends; 10 beats in all.
    Track& t = AddTrack(10, {0, 1, 2, 3, 8, 9});
    t.AddEvent(4 * 192, kNoteOff);
    t.AddEvent(6 * 192, kNoteOff);
    AddTrack(5).AddEvent(2 * 192, kControl);
    Show();
    At(1);
    Key(TrackViewKey::Right, false, true);
    EXPECT_EQ(view.Caret(), 8u);
    Key(TrackViewKey::Right, false, true);
    EXPECT_EQ(view.Caret(), 10u);  // no further block: the track's end
    At(9);
    Key(TrackViewKey::Left, false, true);
    EXPECT_EQ(view.Caret(), 8u);
    Key(TrackViewKey::Left, false, true);
    EXPECT_EQ(view.Caret(), 0u);

    At(5);
    Key(TrackViewKey::End, true, true);
    EXPECT_EQ(Beats(), Pair(5, 10));
    Key(TrackViewKey::Home, true, true);
    EXPECT_EQ(Beats(), Pair(5, 0));
    Key(TrackViewKey::Down);
    EXPECT_EQ(Beats(), Pair(5, 0));  // a track move keeps the beat range
    Key(TrackViewKey::Home);
    EXPECT_EQ(view.Caret(), 2u);
    Key(TrackViewKey::End);
    EXPECT_EQ(Beats(), Pair(3, 3));
}

TEST_F(TrackViewTest, NothingMovesWithoutTracksButInsertAndDeleteAlwaysReport) {
    Key(TrackViewKey::Right);
    view.MouseDown(50, 50);
    view.Select(3, 4);
    view.SelectTracks(0, TrackView::kAll);
    EXPECT_EQ(view.Caret(), 0u);
    EXPECT_EQ(view.CursorTrackOrNone(), -1);
    Key(TrackViewKey::Insert);
    Key(TrackViewKey::Delete);
    EXPECT_FALSE(view.KeyDown(TrackViewKey::Insert, false, true));
    EXPECT_FALSE(view.KeyDown(TrackViewKey::Delete, false, true));
    EXPECT_EQ(rec.codes, (Codes{N::InsertKey, N::DeleteKey}));
}

TEST_F(TrackViewTest, ClickPutsTheCursorOnTheCellAndNeverExtends) {
    AddTrack(30);
    AddTrack(30);
    Show();
    view.SetZoom(4);
    view.Select(0, 12);
    rec.Clear();
    view.MouseDown(35, 500);  // below the last row: the last track
    EXPECT_EQ(Pair(view.AnchorTrack(), view.CursorTrack()), Pair(1, 1));
    EXPECT_EQ(Beats(), Pair(12, 12));
    EXPECT_EQ(rec.codes, Codes{N::CursorTrack});
    EXPECT_TRUE(rec.rows.count(0));  // the old highlight went
    rec.Clear();
    view.MouseDown(5, 5);
    EXPECT_EQ(view.CaretRect(), (CellRect{0, 0, 2, 20}));
    EXPECT_EQ(rec.codes, (Codes{N::Position, N::CursorTrack}));
    view.SetClientSize(5000, 200);  // right of a 200-column row: the last column
    view.MouseDown(4900, 0);
    EXPECT_EQ(view.Caret(), 199u * 4);
}

TEST_F(TrackViewTest, SelectionWordsAndWholeSelections) {
    AddTrack(70000);
    AddTrack(3);
    AddTrack(3);
    Show();
    view.Select(0, TrackView::kAll);
    EXPECT_EQ(view.Caret(), 70000u);
    EXPECT_EQ(view.SelectionWord(), TrackView::kAll);  // past 65535 reads as no selection
    view.Select(3, 7);
    EXPECT_EQ(view.SelectionWord(), 7u * 65536 + 3);
    EXPECT_TRUE(rec.codes.empty());  // set from outside: no notification back

    view.SelectTracks(0, TrackView::kAll);
    EXPECT_EQ(view.TrackSelectionWord(), 2u * 65536);
    EXPECT_EQ(view.SelectionRect(), (CellRect{30, 0, 40, 60}));
    view.SelectTracks(9, 9);  // out of range comes to the last track
    EXPECT_EQ(view.CursorTrackOrNone(), 2);

    view.SetZoom(3);  // another song starts over; the zoom stays
    Song other;
    view.SetSong(&other);
    EXPECT_EQ(view.Caret() + view.Anchor() + view.CursorTrack() + view.FirstBeat(), 0u);
    EXPECT_EQ(view.Zoom(), 3u);
}

TEST_F(TrackViewTest, CursorLeavingTheWindowScrollsByHalfAWindow) {
    AddTrack(1000);
    Show();
    At(40);
    EXPECT_EQ(view.FirstBeat(), 20u);
    At(100);
    EXPECT_EQ(view.FirstBeat(), 80u);
    At(79);
    EXPECT_EQ(view.FirstBeat(), 60u);
    view.SetFirstBeat(7);
    EXPECT_EQ(view.FirstBeat(), 47u);  // the cursor is brought back into view at once

    // A window one column wide still reaches the cursor.
    view.SetZoom(4);
    view.SetClientSize(10, 20);
    At(901);
    EXPECT_EQ(view.FirstBeat(), 900u);
    At(3);
    EXPECT_EQ(view.FirstBeat(), 0u);
}

TEST_F(TrackViewTest, ScrollBarsScrollAndPullTheCursorAlong) {
    for (int i = 0; i < 30; ++i)
        AddTrack(100);
    Show();
    EXPECT_EQ(view.HorizontalBar(), (ScrollBarState{0, 100, 40, 0, true}));
    EXPECT_EQ(view.VerticalBar(), (ScrollBarState{0, 30, 10, 0, true}));

    view.Select(2, 5);
    view.ScrollHorizontal(ScrollAction::PageForward);
    EXPECT_EQ(view.FirstBeat(), 40u);
    EXPECT_EQ(Beats(), Pair(40, 40));
    EXPECT_EQ(rec.codes, (Codes{N::Position, N::ScrolledSideways}));
    view.ScrollHorizontal(ScrollAction::Drag, 100);
    view.ScrollHorizontal(ScrollAction::LineForward);
    view.ScrollHorizontal(ScrollAction::LineForward);  // stops one column past the song's end
    EXPECT_EQ(view.FirstBeat(), 101u);
    view.ScrollHorizontal(ScrollAction::Drag, 0);
    EXPECT_EQ(view.Caret(), 39u);  // back to the last visible column

    rec.Clear();
    view.ScrollVertical(ScrollAction::PageForward);
    EXPECT_EQ(Pair(view.TopTrack(), view.CursorTrack()), Pair(10, 10));
    EXPECT_EQ(rec.codes, (Codes{N::CursorTrack, N::ScrolledVertically}));
    for (int i = 0; i < 15; ++i)
        view.ScrollVertical(ScrollAction::LineForward);
    EXPECT_EQ(view.TopTrack(), 21u);  // the last track at the top of the last page
    view.ScrollVertical(ScrollAction::Drag, 30);
    EXPECT_EQ(view.CursorTrack(), 29u);  // never a row without a track
    for (int i = 0; i < 3; ++i)
        view.ScrollVertical(ScrollAction::PageBack);
    EXPECT_EQ(Pair(view.TopTrack(), view.CursorTrack()), Pair(0, 9));
    Key(TrackViewKey::PageDown);
    Key(TrackViewKey::Down);
    EXPECT_EQ(Pair(view.TopTrack(), view.CursorTrack()),
              Pair(20, 29));  // just enough to show the cursor
    Key(TrackViewKey::PageUp);

    view.SetClientSize(2000, 1000);  // nothing to scroll: the bars stay, disabled
    EXPECT_FALSE(view.HorizontalBar().enabled);
    EXPECT_FALSE(view.VerticalBar().enabled);
}

}  // namespace
}  // namespace kvs
