#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/beat_selection.h"

namespace kvs {

class Song;
class Track;

// What the track view tells the main window.
enum class TrackViewNotify : std::uint8_t {
    CursorTrack = 1,  // the cursor moved to another track
    Position = 2,     // the cursor beat changed
    ScrolledSideways = 3,
    ScrolledVertically = 4,  // the top row changed: the track list follows
    DeleteKey = 5,
    InsertKey = 6,
};

class TrackViewListener {
  public:
    virtual ~TrackViewListener() = default;
    virtual void OnTrackViewNotify(TrackViewNotify code) = 0;
};

// What the widget must repaint after a change of the view's state.
class TrackViewPainter {
  public:
    virtual ~TrackViewPainter() = default;
    virtual void RepaintAll() = 0;
    virtual void RepaintRow(std::uint32_t visibleRow) = 0;  // 0 = the top row of the view
    virtual void ScrollBarsChanged() = 0;
    virtual void CaretMoved() = 0;
};

enum class TrackViewKey : std::uint8_t {
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Insert,
    Delete
};
enum class ScrollAction : std::uint8_t { LineBack, LineForward, PageBack, PageForward, Drag };

// One scroll bar: positions min..max, of which page are visible at once, so
// the thumb's last regular position is max - page + 1. The position may lie
// beyond that (the view scrolls up to a page past the song's end).
struct ScrollBarState {
    std::uint32_t min = 0, max = 0, page = 1, position = 0;
    bool enabled = false;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

struct CellRect {  // pixels, relative to the view's client area
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// The song overview: one text row per track, one glyph per `zoom` beats.
// It owns the song-wide cursor and the beat selection edits work on.
class TrackView final : public BeatSelection {
  public:
    // Beyond this the cursor keys Right, Ctrl+Right and Ctrl+End stop.
    static constexpr std::uint32_t kMaxKeyBeat = 100000;
    // A row shows at most this many columns; a wider view is blank beyond.
    static constexpr std::uint32_t kMaxColumns = 200;
    static constexpr std::uint32_t kCaretWidth = 2;
    static constexpr std::uint32_t kMaxZoom = 65536;  // beats per column
    static constexpr std::uint32_t kAll = 0xFFFFFFFF;

    void SetListener(TrackViewListener* listener) { listener_ = listener; }
    void SetPainter(TrackViewPainter* painter) { painter_ = painter; }

    // A different song puts cursor, selection and scrolling back to the start;
    // zoom and row height stay.
    void SetSong(const Song* song);
    const Song* GetSong() const { return song_; }

    // BeatSelection. Select(0, kAll) selects the whole cursor track. Ignored
    // without a song or tracks. Sends no notification (playback follows this way).
    std::uint32_t Anchor() const override { return anchorBeat_; }
    std::uint32_t Caret() const override { return cursorBeat_; }
    std::uint32_t Zoom() const override { return zoom_; }
    void Select(std::uint32_t anchor, std::uint32_t caret) override;

    // cursor * 65536 + anchor, or kAll when either is 65536 or more.
    std::uint32_t SelectionWord() const;
    std::uint32_t TrackSelectionWord() const;

    std::uint32_t RowHeight() const { return rowHeight_; }
    void SetRowHeight(std::uint32_t px);  // 0 = the font's line height
    void SetZoom(std::uint32_t beatsPerColumn);
    void SetFontMetrics(std::uint32_t charWidth, std::uint32_t charHeightWithLeading);
    void SetClientSize(std::uint32_t width, std::uint32_t height);

    std::uint32_t AnchorTrack() const { return anchorTrack_; }
    std::uint32_t CursorTrack() const { return cursorTrack_; }
    // (0, kAll) selects every track. Ignored without a song or tracks.
    void SelectTracks(std::uint32_t anchor, std::uint32_t cursor);
    // -1 without a song, or when the cursor row has no track.
    std::int32_t CursorTrackOrNone() const;
    bool SelectionEmpty() const { return anchorBeat_ == cursorBeat_; }

    void RedrawTrack(std::uint32_t track);
    void BringCursorIntoView();
    std::uint32_t TopTrack() const { return topTrack_; }
    void SetTopTrack(std::uint32_t row);
    std::uint32_t FirstBeat() const { return firstBeat_; }
    void SetFirstBeat(std::uint32_t beat);

    // True when the view used the key; Ctrl+Insert and Ctrl+Delete are the
    // main window's (Insert track, Delete track) and come back false.
    bool KeyDown(TrackViewKey key, bool shift, bool ctrl);
    void MouseDown(std::int32_t x, std::int32_t y);
    void ScrollHorizontal(ScrollAction action, std::uint32_t dragPosition = 0);
    void ScrollVertical(ScrollAction action, std::uint32_t dragPosition = 0);
    ScrollBarState HorizontalBar() const;
    ScrollBarState VerticalBar() const;

    // Painting: rows [0, VisibleRowCount()) from the top of the view.
    std::uint32_t VisibleRowCount() const;
    std::uint32_t ColumnCount() const { return visibleBeats_ / zoom_; }
    // One glyph per column (" ", ".", "*", "|"); empty where the row has no track.
    std::string RowText(std::uint32_t visibleRow) const;
    // Writes the row's glyphs into out (ColumnCount() characters, no
    // terminator) and returns how many; 0 where the row has no track.
    std::uint32_t BuildRow(std::uint32_t visibleRow, char* out) const;
    std::optional<CellRect> SelectionRect() const;
    CellRect CaretRect() const;
    std::uint32_t VisibleBeats() const { return visibleBeats_; }
    std::uint32_t VisibleRows() const { return visibleRows_; }
    std::uint32_t CharWidth() const { return charWidth_; }

    // The glyph of beats [first, first + zoom) of a track.
    static char Glyph(const Track& track, std::uint32_t first, std::uint32_t zoom);

  private:
    struct Snapshot {
        std::uint32_t anchorBeat, cursorBeat, anchorTrack, cursorTrack, topTrack, firstBeat;
    };
    Snapshot Take() const;
    // Repaints what changed since before; user moves also notify the cursor's moves.
    void Publish(const Snapshot& before, bool userMove, bool notifyTop = true);
    void RepaintHighlightRows(const Snapshot& s);
    void Notify(TrackViewNotify code);
    void Layout();
    void ScrollToCursor();
    std::uint32_t TrackCount() const;
    bool HasTracks() const { return TrackCount() > 0; }
    std::uint32_t MoveBeat(TrackViewKey key, bool ctrl) const;

    const Song* song_ = nullptr;
    TrackViewListener* listener_ = nullptr;
    TrackViewPainter* painter_ = nullptr;
    std::uint32_t anchorBeat_ = 0;
    std::uint32_t cursorBeat_ = 0;
    std::uint32_t anchorTrack_ = 0;
    std::uint32_t cursorTrack_ = 0;
    std::uint32_t topTrack_ = 0;
    std::uint32_t firstBeat_ = 0;
    std::uint32_t zoom_ = 1;
    std::uint32_t visibleBeats_ = 1;
    std::uint32_t visibleRows_ = 1;
    std::uint32_t charWidth_ = 0;
    std::uint32_t charHeight_ = 0;
    std::uint32_t requestedRowHeight_ = 0;
    std::uint32_t rowHeight_ = 0;  // requestedRowHeight_, else the font's line height
    std::uint32_t clientWidth_ = 0;
    std::uint32_t clientHeight_ = 0;
};

}  // namespace kvs
