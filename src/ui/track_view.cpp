#include "ui/track_view.h"

#include <algorithm>

#include "model/song.h"
#include "model/track.h"

namespace kvs {

namespace {

constexpr std::uint32_t kWordLimit = 65536;

bool IsNote(std::uint32_t message) {
    return Kind(message) == 0x80 || Kind(message) == 0x90;
}

// Note offs and velocity-0 note ons end something; they are not data.
bool BeatHasData(const Track* track, std::uint32_t beat) {
    const BeatBucket* bucket = track != nullptr ? track->Bucket(beat) : nullptr;
    if (bucket == nullptr) return false;
    for (const Event& e : *bucket)
        if (IsSoundingNoteOn(e.message) || !IsNote(e.message)) return true;
    return false;
}

bool BeatHasEvents(const Track* track, std::uint32_t beat) {
    const BeatBucket* bucket = track->Bucket(beat);
    return bucket != nullptr && !bucket->Empty();
}

std::uint32_t RoundDown(std::uint64_t beat, std::uint32_t zoom) {
    const std::uint64_t limit = 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(std::min(beat, limit) / zoom * zoom);
}

std::uint32_t PackWord(std::uint32_t low, std::uint32_t high) {
    if (low >= kWordLimit || high >= kWordLimit) return TrackView::kAll;
    return high * kWordLimit + low;
}

}  // namespace

void TrackView::SetSong(const Song* song) {
    if (song != song_) {
        song_ = song;
        anchorBeat_ = cursorBeat_ = anchorTrack_ = cursorTrack_ = topTrack_ = firstBeat_ = 0;
    }
    if (painter_ == nullptr) return;
    painter_->ScrollBarsChanged();
    painter_->RepaintAll();
    painter_->CaretMoved();
}

std::uint32_t TrackView::TrackCount() const {
    return song_ != nullptr ? song_->TrackCount() : 0;
}

void TrackView::Select(std::uint32_t anchor, std::uint32_t caret) {
    if (!HasTracks()) return;
    const Snapshot before = Take();
    if (anchor == 0 && caret == kAll) {
        const Track* track = song_->GetTrack(cursorTrack_);
        caret = track != nullptr ? track->BeatCount() : 0;
    }
    anchorBeat_ = anchor;
    cursorBeat_ = caret;
    ScrollToCursor();
    Publish(before, false);
}

std::uint32_t TrackView::SelectionWord() const {
    return PackWord(anchorBeat_, cursorBeat_);
}

std::uint32_t TrackView::TrackSelectionWord() const {
    return PackWord(anchorTrack_, cursorTrack_);
}

void TrackView::SetRowHeight(std::uint32_t px) {
    requestedRowHeight_ = px;
    Layout();
}

void TrackView::SetZoom(std::uint32_t beatsPerColumn) {
    const Snapshot before = Take();
    zoom_ = std::clamp<std::uint32_t>(beatsPerColumn, 1, kMaxZoom);
    Layout();
    ScrollToCursor();
    Publish(before, false);
}

void TrackView::SetFontMetrics(std::uint32_t charWidth, std::uint32_t charHeightWithLeading) {
    charWidth_ = charWidth;
    charHeight_ = charHeightWithLeading;
    Layout();
}

void TrackView::SetClientSize(std::uint32_t width, std::uint32_t height) {
    clientWidth_ = width;
    clientHeight_ = height;
    Layout();
}

void TrackView::Layout() {
    rowHeight_ = requestedRowHeight_ != 0 ? requestedRowHeight_ : charHeight_;
    // Never fewer than one column and one row: bringing the cursor into view
    // needs somewhere to bring it, even while the window is minimised.
    const std::uint32_t columns = charWidth_ != 0 ? clientWidth_ / charWidth_ : 1;
    visibleBeats_ = zoom_ * std::clamp<std::uint32_t>(columns, 1, kMaxColumns);
    visibleRows_ = rowHeight_ != 0 ? std::max<std::uint32_t>(clientHeight_ / rowHeight_, 1) : 1;
    firstBeat_ = RoundDown(firstBeat_, zoom_);
    if (painter_ == nullptr) return;
    painter_->ScrollBarsChanged();
    painter_->RepaintAll();
    painter_->CaretMoved();
}

void TrackView::SelectTracks(std::uint32_t anchor, std::uint32_t cursor) {
    const std::uint32_t count = TrackCount();
    if (count == 0) return;
    const Snapshot before = Take();
    if (anchor == 0 && cursor == kAll) cursor = count - 1;
    anchorTrack_ = std::min(anchor, count - 1);
    cursorTrack_ = std::min(cursor, count - 1);
    ScrollToCursor();
    Publish(before, false);
}

std::int32_t TrackView::CursorTrackOrNone() const {
    return cursorTrack_ < TrackCount() ? static_cast<std::int32_t>(cursorTrack_) : -1;
}

void TrackView::RedrawTrack(std::uint32_t track) {
    if (painter_ == nullptr) return;
    // An edit may have changed the song's length, and with it the sideways bar.
    painter_->ScrollBarsChanged();
    if (track >= topTrack_ && track - topTrack_ < VisibleRowCount())
        painter_->RepaintRow(track - topTrack_);
}

void TrackView::BringCursorIntoView() {
    const Snapshot before = Take();
    ScrollToCursor();
    Publish(before, false);
}

void TrackView::SetTopTrack(std::uint32_t row) {
    const Snapshot before = Take();
    topTrack_ = row;
    ScrollToCursor();
    Publish(before, false);
}

void TrackView::SetFirstBeat(std::uint32_t beat) {
    const Snapshot before = Take();
    firstBeat_ = RoundDown(beat, zoom_);
    ScrollToCursor();
    Publish(before, false);
}

// Jumps by half a window, in whole columns. At least one column per step, so
// a view one column wide still reaches the cursor.
void TrackView::ScrollToCursor() {
    const std::uint64_t zoom = zoom_;
    const std::uint64_t cursor = cursorBeat_ / zoom;
    const std::uint64_t columns = visibleBeats_ / zoom;
    const std::uint64_t half = visibleBeats_ / 2;
    std::uint64_t first = firstBeat_ / zoom;
    if (cursor < first) {
        const std::uint64_t step = std::max<std::uint64_t>((half + zoom - 1) / zoom, 1);
        const std::uint64_t back = (first - cursor + step - 1) / step * step;
        first = first > back ? first - back : 0;
    } else if (first + columns <= cursor) {
        const std::uint64_t step = std::max<std::uint64_t>(half / zoom, 1);
        first += ((cursor - first - columns) / step + 1) * step;
    }
    firstBeat_ = RoundDown(first * zoom, zoom_);

    if (cursorTrack_ < topTrack_) topTrack_ = cursorTrack_;
    if (cursorTrack_ - topTrack_ >= visibleRows_) topTrack_ = cursorTrack_ - visibleRows_ + 1;
}

std::uint32_t TrackView::MoveBeat(TrackViewKey key, bool ctrl) const {
    const Track* track = song_->GetTrack(cursorTrack_);
    const std::uint32_t end = track != nullptr ? track->BeatCount() : 0;
    const std::uint32_t c = cursorBeat_;
    switch (key) {
        case TrackViewKey::Left: {
            if (!ctrl) return c > 0 ? (c - 1) / zoom_ * zoom_ : c;
            std::uint32_t i = c;
            while (i > 0 && !BeatHasData(track, i - 1))
                --i;
            while (i > 0 && BeatHasData(track, i - 1))
                --i;
            return i;
        }
        case TrackViewKey::Right: {
            if (c >= kMaxKeyBeat) return c;
            if (!ctrl) return (c + zoom_) / zoom_ * zoom_;
            if (c >= end) return c;
            std::uint32_t i = c;
            while (i < end && BeatHasData(track, i))
                ++i;
            while (i < end && !BeatHasData(track, i))
                ++i;
            return i;
        }
        case TrackViewKey::Home:
            if (ctrl || track == nullptr) return 0;
            for (std::uint32_t b = 0; b < end; ++b)
                if (BeatHasEvents(track, b)) return b;
            return 0;
        case TrackViewKey::End:
            if (ctrl) return c < kMaxKeyBeat ? end : c;
            for (std::uint32_t b = end; b > 0; --b)
                if (BeatHasEvents(track, b - 1)) return b;
            return 0;
        default:
            return c;
    }
}

bool TrackView::KeyDown(TrackViewKey key, bool shift, bool ctrl) {
    if (key == TrackViewKey::Insert || key == TrackViewKey::Delete) {
        if (ctrl) return false;
        Notify(key == TrackViewKey::Insert ? TrackViewNotify::InsertKey
                                           : TrackViewNotify::DeleteKey);
        return true;
    }
    const std::uint32_t count = TrackCount();
    if (count == 0) return true;
    const Snapshot before = Take();
    const std::uint32_t row = std::min(cursorTrack_, count - 1);
    switch (key) {
        // Moving to another track keeps the beat range, so a range can be
        // chosen first and the track after.
        case TrackViewKey::Up:
            cursorTrack_ = row > 0 ? row - 1 : 0;
            break;
        case TrackViewKey::Down:
            cursorTrack_ = std::min(row + 1, count - 1);
            break;
        case TrackViewKey::PageUp:
            cursorTrack_ = 0;
            break;
        case TrackViewKey::PageDown:
            cursorTrack_ = count - 1;
            break;
        default:
            cursorBeat_ = MoveBeat(key, ctrl);
            if (!shift) anchorBeat_ = cursorBeat_;
            break;
    }
    anchorTrack_ = cursorTrack_;
    ScrollToCursor();
    Publish(before, true);
    return true;
}

void TrackView::MouseDown(std::int32_t x, std::int32_t y) {
    const std::uint32_t count = TrackCount();
    if (count == 0 || rowHeight_ == 0 || charWidth_ == 0) return;
    const Snapshot before = Take();
    const std::uint64_t row =
        std::uint64_t{topTrack_} + static_cast<std::uint32_t>(std::max(y, 0)) / rowHeight_;
    const std::uint32_t column =
        std::min(static_cast<std::uint32_t>(std::max(x, 0)) / charWidth_, ColumnCount() - 1);
    cursorTrack_ = anchorTrack_ =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(row, count - 1));
    cursorBeat_ = anchorBeat_ =
        RoundDown(std::uint64_t{firstBeat_} + std::uint64_t{column} * zoom_, zoom_);
    Publish(before, true);
}

void TrackView::ScrollHorizontal(ScrollAction action, std::uint32_t dragPosition) {
    const Snapshot before = Take();
    const std::uint32_t length = song_ != nullptr ? song_->SongLengthBeats() : 0;
    std::uint64_t first = firstBeat_;
    switch (action) {
        case ScrollAction::LineBack:
            first = first > zoom_ ? first - zoom_ : 0;
            break;
        case ScrollAction::PageBack:
            first = first > visibleBeats_ ? first - visibleBeats_ : 0;
            break;
        case ScrollAction::LineForward:
            if (first <= length) first += zoom_;
            break;
        case ScrollAction::PageForward:
            if (first <= length) first += visibleBeats_;
            break;
        case ScrollAction::Drag:
            first = std::uint64_t{dragPosition} * zoom_;
            break;
    }
    firstBeat_ = RoundDown(first, zoom_);
    // A cursor left behind comes to the nearest visible column and drops the selection.
    const std::uint64_t lastColumnBeat = std::uint64_t{firstBeat_} + visibleBeats_ - zoom_;
    if (cursorBeat_ < firstBeat_)
        cursorBeat_ = anchorBeat_ = firstBeat_;
    else if (cursorBeat_ / zoom_ > lastColumnBeat / zoom_)
        cursorBeat_ = anchorBeat_ = RoundDown(lastColumnBeat, zoom_);
    Publish(before, true);
    Notify(TrackViewNotify::ScrolledSideways);
}

void TrackView::ScrollVertical(ScrollAction action, std::uint32_t dragPosition) {
    const Snapshot before = Take();
    const std::int64_t count = TrackCount();
    const std::int64_t rows = visibleRows_;
    std::int64_t top = topTrack_;
    switch (action) {
        case ScrollAction::LineBack:
            top = std::max<std::int64_t>(top - 1, 0);
            break;
        case ScrollAction::PageBack:
            top = std::max<std::int64_t>(top - rows, 0);
            break;
        case ScrollAction::LineForward:
            if (top <= count - rows) ++top;
            break;
        case ScrollAction::PageForward:
            if (top <= count - rows) top += rows;
            break;
        case ScrollAction::Drag:
            top = std::min<std::int64_t>(dragPosition, count);
            break;
    }
    topTrack_ = static_cast<std::uint32_t>(top);
    if (count > 0) {
        // Pulled back to the nearest visible row, but never onto a row without a track.
        const auto last = static_cast<std::uint32_t>(count - 1);
        if (cursorTrack_ < topTrack_)
            cursorTrack_ = anchorTrack_ = std::min(topTrack_, last);
        else if (cursorTrack_ - topTrack_ >= visibleRows_)
            cursorTrack_ = anchorTrack_ = std::min(topTrack_ + visibleRows_ - 1, last);
    }
    Publish(before, true, false);
    Notify(TrackViewNotify::ScrolledVertically);
}

ScrollBarState TrackView::HorizontalBar() const {
    ScrollBarState bar;
    bar.max = (song_ != nullptr ? song_->SongLengthBeats() : 0) / zoom_;
    bar.page = ColumnCount();
    bar.position = firstBeat_ / zoom_;
    // Kept usable while scrolled past the end, so the way back is there.
    bar.enabled = bar.max + 1 > bar.page || bar.position > 0;
    return bar;
}

ScrollBarState TrackView::VerticalBar() const {
    ScrollBarState bar;
    bar.max = TrackCount();
    bar.page = visibleRows_;
    bar.position = topTrack_;
    bar.enabled = bar.max + 1 > bar.page || bar.position > 0;
    return bar;
}

// The partly visible row at the bottom is drawn too, as the track list beside
// the view shows it.
std::uint32_t TrackView::VisibleRowCount() const {
    if (rowHeight_ == 0) return visibleRows_;
    return (clientHeight_ + rowHeight_ - 1) / rowHeight_;
}

char TrackView::Glyph(const Track& track, std::uint32_t first, std::uint32_t zoom) {
    const std::uint32_t end = track.BeatCount();
    const std::uint64_t last = std::uint64_t{first} + zoom;
    if (first <= end && end < last) return '|';
    char glyph = ' ';
    for (std::uint64_t beat = first; beat < std::min<std::uint64_t>(last, end); ++beat) {
        for (const Event& e : *track.Bucket(static_cast<std::uint32_t>(beat))) {
            if (IsNote(e.message)) return '*';
            glyph = '.';
        }
    }
    return glyph;
}

std::uint32_t TrackView::BuildRow(std::uint32_t visibleRow, char* out) const {
    const Track* track = song_ != nullptr ? song_->GetTrack(topTrack_ + visibleRow) : nullptr;
    if (track == nullptr || std::uint64_t{topTrack_} + visibleRow > 0xFFFFFFFFu) return 0;
    const std::uint32_t columns = ColumnCount();
    std::uint64_t beat = firstBeat_;
    for (std::uint32_t i = 0; i < columns; ++i, beat += zoom_) {
        out[i] = beat <= track->BeatCount() ? Glyph(*track, static_cast<std::uint32_t>(beat), zoom_)
                                            : ' ';
    }
    return columns;
}

std::string TrackView::RowText(std::uint32_t visibleRow) const {
    char buffer[kMaxColumns];
    return std::string(buffer, BuildRow(visibleRow, buffer));
}

// Every column holding a selected beat is highlighted, also the last one of a
// range that ends inside a column.
std::optional<CellRect> TrackView::SelectionRect() const {
    if (song_ == nullptr || SelectionEmpty()) return std::nullopt;
    const std::uint64_t lo = std::min(anchorBeat_, cursorBeat_);
    const std::uint64_t hi = std::max(anchorBeat_, cursorBeat_);
    const std::uint64_t first = firstBeat_;
    const std::uint64_t left = std::max(lo, first);
    const std::uint64_t right = std::min(hi, first + visibleBeats_);
    if (right <= left) return std::nullopt;
    const std::uint64_t col0 = (left - first) / zoom_;
    const std::uint64_t col1 = (right - first + zoom_ - 1) / zoom_;
    const std::uint64_t top = topTrack_;
    const std::uint64_t upper = std::max<std::uint64_t>(std::min(anchorTrack_, cursorTrack_), top);
    const std::uint64_t lower = std::min<std::uint64_t>(
        std::uint64_t{std::max(anchorTrack_, cursorTrack_)} + 1, top + VisibleRowCount());
    if (lower <= upper) return std::nullopt;
    const std::uint64_t row0 = upper - top;
    const std::uint64_t row1 = lower - top;
    return CellRect{static_cast<std::int32_t>(col0 * charWidth_),
                    static_cast<std::int32_t>(row0 * rowHeight_),
                    static_cast<std::int32_t>((col1 - col0) * charWidth_),
                    static_cast<std::int32_t>((row1 - row0) * rowHeight_)};
}

CellRect TrackView::CaretRect() const {
    const std::int64_t column = (std::int64_t{cursorBeat_} - firstBeat_) / zoom_;
    const std::int64_t row = std::int64_t{cursorTrack_} - topTrack_;
    const auto clamp = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -0x40000000, 0x3FFFFFFF));
    };
    return CellRect{clamp(column * charWidth_), clamp(row * rowHeight_),
                    static_cast<std::int32_t>(kCaretWidth), static_cast<std::int32_t>(rowHeight_)};
}

TrackView::Snapshot TrackView::Take() const {
    return Snapshot{anchorBeat_, cursorBeat_, anchorTrack_, cursorTrack_, topTrack_, firstBeat_};
}

void TrackView::RepaintHighlightRows(const Snapshot& s) {
    if (s.anchorBeat == s.cursorBeat) return;
    const std::uint32_t lo = std::max(std::min(s.anchorTrack, s.cursorTrack), topTrack_);
    const std::uint32_t hi = std::max(s.anchorTrack, s.cursorTrack);
    const std::uint32_t rows = VisibleRowCount();
    for (std::uint32_t t = lo; t <= hi && t - topTrack_ < rows; ++t) {
        painter_->RepaintRow(t - topTrack_);
        if (t == 0xFFFFFFFF) break;
    }
}

void TrackView::Publish(const Snapshot& before, bool userMove, bool notifyTop) {
    const Snapshot now = Take();
    const bool scrolled = now.topTrack != before.topTrack || now.firstBeat != before.firstBeat;
    const bool caretMoved =
        now.cursorBeat != before.cursorBeat || now.cursorTrack != before.cursorTrack;
    const bool selectionChanged =
        caretMoved || now.anchorBeat != before.anchorBeat || now.anchorTrack != before.anchorTrack;
    if (painter_ != nullptr) {
        if (scrolled) {
            painter_->ScrollBarsChanged();
            painter_->RepaintAll();
        } else if (selectionChanged) {
            RepaintHighlightRows(before);
            RepaintHighlightRows(now);
        }
        if (scrolled || caretMoved) painter_->CaretMoved();
    }
    if (userMove && now.cursorBeat != before.cursorBeat) Notify(TrackViewNotify::Position);
    if (userMove && now.cursorTrack != before.cursorTrack) Notify(TrackViewNotify::CursorTrack);
    if (notifyTop && now.topTrack != before.topTrack) Notify(TrackViewNotify::ScrolledVertically);
}

void TrackView::Notify(TrackViewNotify code) {
    if (listener_ != nullptr) listener_->OnTrackViewNotify(code);
}

}  // namespace kvs
