#include "ui/note_view.h"

#include <algorithm>
#include <array>

#include "model/song.h"
#include "model/value_format.h"

namespace kvs {

namespace {

constexpr std::uint32_t kKeys = 128;

std::uint32_t TickOf(const Track& track, std::uint32_t beat, std::uint32_t index) {
    return beat * TICKS_PER_BEAT + (*track.Bucket(beat))[index].offset;
}

}  // namespace

const Track* NoteView::ShownTrack() const {
    return song_ == nullptr ? nullptr : song_->GetTrack(trackIndex_);
}

std::uint32_t NoteView::OnTick(const NoteEntry& e) const {
    return TickOf(*ShownTrack(), e.onBeat, e.onIndex);
}

std::uint32_t NoteView::OffTick(const NoteEntry& e) const {
    return TickOf(*ShownTrack(), e.offBeat, e.offIndex);
}

std::uint32_t NoteView::EntryKey(const NoteEntry& e) const {
    return Data1((*ShownTrack()->Bucket(e.onBeat))[e.onIndex].message);
}

void NoteView::SetSong(const Song* song) {
    song_ = song;
    cursor_ = 0;
    firstTick_ = 0;
    trackIndex_ = 0;
    selected_ = -1;
    keysKnown_ = false;
    Rebuild();
    selected_ = FindByPosition();
    Repaint();
}

void NoteView::SetTrack(std::int32_t index) {
    if (index < 0)
        trackIndex_ = song_ != nullptr && song_->TrackCount() > 0 ? song_->TrackCount() - 1 : 0;
    else
        trackIndex_ = static_cast<std::uint32_t>(index);
    if (preview_ != nullptr) preview_->EndPreview();
    keysKnown_ = false;
    Rebuild();
    selected_ = FindByPosition();
    Repaint();
}

void NoteView::SetZoom(std::uint32_t beats) {
    beatsVisible_ = std::clamp<std::uint32_t>(beats, 1, kMaxTick / TICKS_PER_BEAT);
    firstTick_ = cursor_ / PageTicks() * PageTicks();
    Rebuild();
    selected_ = FindByPosition();
    Repaint();
}

void NoteView::SetSnap(std::uint32_t ticks) {
    snap_ = ticks == 0 ? TICKS_PER_BEAT : ticks;
}

void NoteView::SetCursor(std::int64_t tick, std::int32_t key, std::int32_t channel) {
    const Track* track = ShownTrack();
    if (tick < 0) tick = track == nullptr ? 0 : std::int64_t{track->BeatCount()} * TICKS_PER_BEAT;
    const std::uint32_t newKey =
        key < 0 ? cursorKey_ : static_cast<std::uint32_t>(std::min<std::int32_t>(key, 127));
    const EventPos oldPos = Selected();
    cursor_ = static_cast<std::uint32_t>(std::min<std::int64_t>(tick, kMaxTick));
    cursorKey_ = newKey;
    // Both must run: one moves the window sideways, the other up or down.
    const bool scrolled = ScrollToCursor();
    const bool repaint = KeepKeyVisible() || scrolled;
    AfterMove(oldPos, repaint, channel);
    // The dialog always hears of both, so its values follow even when nothing changed.
    if (Selected() == oldPos) Notify(NoteViewNotify::Selection);
}

EventPos NoteView::Selected() const {
    if (selected_ < 0) return {};
    const NoteEntry& e = notes_[static_cast<std::size_t>(selected_)];
    return {static_cast<std::int32_t>(e.onBeat), static_cast<std::int32_t>(e.onIndex)};
}

void NoteView::Refresh(bool audition) {
    if (preview_ != nullptr) preview_->EndPreview();
    // Of stacked notes, the one of the selected note's channel stays selected.
    // The track has changed since the list was built: check before reading.
    std::int32_t channel = -1;
    const EventPos sel = Selected();
    const Track* track = ShownTrack();
    const BeatBucket* bucket = track != nullptr && sel.Found()
                                   ? track->Bucket(static_cast<std::uint32_t>(sel.beat))
                                   : nullptr;
    if (bucket != nullptr && static_cast<std::uint32_t>(sel.index) < bucket->Count())
        channel = Channel((*bucket)[static_cast<std::uint32_t>(sel.index)].message);
    keysKnown_ = false;
    Rebuild();
    selected_ = FindByPosition(channel);
    if (audition) Audition();
    Repaint();
}

void NoteView::SetFontMetrics(std::int32_t charWidth, std::int32_t charHeightWithLeading) {
    charWidth_ = std::max(charWidth, 1);
    if (rowHeight_ == 0) rowHeight_ = std::max(charHeightWithLeading, 1);
    margin_ = 5 * charWidth_;
}

void NoteView::SetClientSize(std::int32_t width, std::int32_t height) {
    if (rowHeight_ == 0) rowHeight_ = 16;
    margin_ = 5 * charWidth_;
    width_ = std::max(width - margin_, 1);
    clientHeight_ = std::max(height, 0);
    rows_ =
        std::clamp<std::uint32_t>(static_cast<std::uint32_t>(clientHeight_ / rowHeight_), 1, kKeys);
    KeepKeyVisible();
    Repaint();
}

void NoteView::SetFocus(bool focused) {
    focused_ = focused;
    if (!focused && preview_ != nullptr) preview_->EndPreview();
    if (painter_ != nullptr) painter_->CaretMoved();
}

void NoteView::Rebuild() {
    notes_.clear();
    const Track* track = ShownTrack();
    if (track == nullptr) return;
    const std::uint32_t firstBeat = firstTick_ / TICKS_PER_BEAT;
    const std::uint32_t beats = track->BeatCount();

    // Notes still sounding when the window begins: the latest event of each
    // key before it tells whether one is.
    if (firstBeat > 0 && beats > 0) {
        if (!keysKnown_) FindKeyFirstBeats(*track);
        // A key with no event before the window counts as seen.
        std::array<bool, kKeys> seen{};
        std::uint32_t unseen = 0;
        for (std::uint32_t k = 0; k < kKeys; ++k) {
            seen[k] = keyFirstBeat_[k] >= firstBeat;
            unseen += seen[k] ? 0 : 1;
        }
        for (std::uint32_t b = std::min(firstBeat, beats); b-- > 0 && unseen > 0;) {
            const BeatBucket& bucket = *track->Bucket(b);
            for (std::uint32_t i = bucket.Count(); i-- > 0 && unseen > 0;) {
                const std::uint32_t msg = bucket[i].message;
                const bool on = IsSoundingNoteOn(msg);
                if (!on && !IsNoteEnd(msg)) continue;
                const std::uint32_t key = Data1(msg) & 0x7F;
                if (seen[key]) continue;
                seen[key] = true;
                --unseen;
                if (!on) continue;
                const EventPos off = track->FindNoteOff(b, i);
                if (!off.Found()) continue;
                const NoteEntry e{b, i, static_cast<std::uint32_t>(off.beat),
                                  static_cast<std::uint32_t>(off.index)};
                if (OffTick(e) >= firstTick_) notes_.push_back(e);
            }
        }
    }

    // Notes that begin in the window. An unpaired note on is skipped alone.
    const std::uint32_t endBeat = std::min(firstBeat + beatsVisible_, beats);
    for (std::uint32_t b = firstBeat; b < endBeat; ++b) {
        const BeatBucket& bucket = *track->Bucket(b);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            if (!IsSoundingNoteOn(bucket[i].message)) continue;
            const EventPos off = track->FindNoteOff(b, i);
            if (off.Found())
                notes_.push_back({b, i, static_cast<std::uint32_t>(off.beat),
                                  static_cast<std::uint32_t>(off.index)});
        }
    }
}

void NoteView::FindKeyFirstBeats(const Track& track) {
    keyFirstBeat_.fill(UINT32_MAX);
    std::uint32_t missing = kKeys;
    for (std::uint32_t b = 0; b < track.BeatCount() && missing > 0; ++b)
        for (const Event& e : *track.Bucket(b)) {
            if (Kind(e.message) != 0x80 && Kind(e.message) != 0x90) continue;
            std::uint32_t& first = keyFirstBeat_[Data1(e.message) & 0x7F];
            if (first == UINT32_MAX) {
                first = b;
                --missing;
            }
        }
    keysKnown_ = true;
}

std::int32_t NoteView::FindByPosition(std::int32_t channel) const {
    std::int32_t found = -1;
    for (std::size_t n = 0; n < notes_.size(); ++n) {
        const NoteEntry& e = notes_[n];
        if (EntryKey(e) != cursorKey_ || OnTick(e) > cursor_ || cursor_ >= OffTick(e)) continue;
        if (found < 0) found = static_cast<std::int32_t>(n);
        const std::uint32_t msg = (*ShownTrack()->Bucket(e.onBeat))[e.onIndex].message;
        if (channel < 0 || Channel(msg) == static_cast<std::uint32_t>(channel))
            return static_cast<std::int32_t>(n);
    }
    return found;
}

bool NoteView::ScrollToCursor() {
    if (cursor_ >= firstTick_ && cursor_ - firstTick_ < PageTicks()) return false;
    firstTick_ = cursor_ / PageTicks() * PageTicks();
    Rebuild();
    if (painter_ != nullptr) painter_->ScrollBarsChanged();
    return true;
}

bool NoteView::KeepKeyVisible() {
    std::uint32_t top = topKey_;
    if (top < cursorKey_) top = cursorKey_;
    if (cursorKey_ + rows_ <= top) top = cursorKey_ + rows_ - 1;
    top = std::min<std::uint32_t>(top, 127);
    if (top == topKey_) return false;
    topKey_ = top;
    if (painter_ != nullptr) painter_->ScrollBarsChanged();
    return true;
}

void NoteView::Audition() {
    if (preview_ == nullptr) return;
    preview_->EndPreview();
    const Track* track = ShownTrack();
    if (selected_ < 0 || track == nullptr) return;
    const NoteEntry& e = notes_[static_cast<std::size_t>(selected_)];
    std::uint32_t on = (*track->Bucket(e.onBeat))[e.onIndex].message;
    std::uint32_t off = (*track->Bucket(e.offBeat))[e.offIndex].message;
    if (track->properties.channel != kNoChannel) {
        on = (on & ~0x0Fu) | track->properties.channel;
        off = (off & ~0x0Fu) | track->properties.channel;
    }
    preview_->PreviewNote(on, off, track->properties.port, OffTick(e) - OnTick(e));
}

void NoteView::AfterMove(EventPos oldPos, bool repaint, std::int32_t channel) {
    selected_ = FindByPosition(channel);
    if (Selected() != oldPos) {
        Audition();
        repaint = true;
        Notify(NoteViewNotify::Selection);
    }
    if (repaint) Repaint();
    if (painter_ != nullptr) painter_->CaretMoved();
    Notify(NoteViewNotify::Cursor);
}

void NoteView::MoveCursor(std::uint32_t tick, std::uint32_t key) {
    const EventPos oldPos = Selected();
    cursor_ = tick;
    cursorKey_ = key;
    // Both must run: one moves the window sideways, the other up or down.
    const bool scrolled = ScrollToCursor();
    const bool repaint = KeepKeyVisible() || scrolled;
    AfterMove(oldPos, repaint);
}

void NoteView::MoveToNote(bool forward) {
    const Track* track = ShownTrack();
    if (track == nullptr) return;
    EventSearch search;
    search.value = PackMessage(0x90, 0, 64);  // any sounding note on
    search.mask = 0xF0;
    search.backward = !forward;
    const EventPos sel = Selected();
    if (sel.Found()) {
        search.startBeat = sel.beat;
        search.startIndex = sel.index;
    } else if (forward) {
        // Start just before the first event at the caret, which the search
        // itself never examines, so a note at the caret is found too.
        const std::uint32_t beat = cursor_ / TICKS_PER_BEAT;
        std::int32_t index = 0;
        if (const BeatBucket* bucket = track->Bucket(beat)) {
            while (static_cast<std::uint32_t>(index) < bucket->Count() &&
                   (*bucket)[static_cast<std::uint32_t>(index)].offset < cursor_ % TICKS_PER_BEAT)
                ++index;
        }
        search.startBeat = static_cast<std::int32_t>(beat);
        search.startIndex = index - 1;
    } else {
        search.startTick = cursor_;
    }
    if (!track->FindEvent(search)) return;

    const EventPos oldPos = sel;
    cursor_ = static_cast<std::uint32_t>(search.startTick);
    cursorKey_ = Data1(search.value);
    ScrollToCursor();
    KeepKeyVisible();
    selected_ = -1;
    if (forward) {
        // The note found, not merely one at the same place on another channel.
        for (std::size_t n = 0; n < notes_.size(); ++n)
            if (notes_[n].onBeat == static_cast<std::uint32_t>(search.found.beat) &&
                notes_[n].onIndex == static_cast<std::uint32_t>(search.found.index))
                selected_ = static_cast<std::int32_t>(n);
    }
    if (selected_ < 0) selected_ = FindByPosition();
    if (Selected() != oldPos) {
        Audition();
        Notify(NoteViewNotify::Selection);
    }
    Repaint();
    if (painter_ != nullptr) painter_->CaretMoved();
    Notify(NoteViewNotify::Cursor);
}

bool NoteView::KeyDown(NoteViewKey key, bool shift, bool ctrl, bool alt, std::uint32_t virtualKey) {
    const Track* track = ShownTrack();
    const std::uint32_t trackEnd = track == nullptr ? 0 : track->BeatCount() * TICKS_PER_BEAT;
    std::uint32_t tick = cursor_;
    std::uint32_t k = cursorKey_;
    switch (key) {
        case NoteViewKey::Left:
            if (alt) {
                MoveToNote(false);
                return true;
            }
            if (ctrl) {
                if (cursor_ == 0) return true;
                tick = (cursor_ - 1) / TICKS_PER_BEAT * TICKS_PER_BEAT;
            } else {
                tick = cursor_ > snap_ ? cursor_ - snap_ : 0;
                tick = tick / snap_ * snap_;
            }
            break;
        case NoteViewKey::Right:
            if (alt) {
                MoveToNote(true);
                return true;
            }
            if (cursor_ >= kMaxTick) return true;
            tick = ctrl ? (cursor_ + TICKS_PER_BEAT) / TICKS_PER_BEAT * TICKS_PER_BEAT
                        : (cursor_ + snap_) / snap_ * snap_;
            break;
        case NoteViewKey::Up:
            k = ctrl ? std::min<std::uint32_t>(cursorKey_ + 12, 127)
                     : std::min<std::uint32_t>(cursorKey_ + 1, 127);
            break;
        case NoteViewKey::Down:
            k = ctrl ? (cursorKey_ > 12 ? cursorKey_ - 12 : 0)
                     : (cursorKey_ > 0 ? cursorKey_ - 1 : 0);
            break;
        case NoteViewKey::Home:
            if (ctrl) {
                if (cursor_ == 0) return true;
                tick = 0;
            } else {
                if (cursor_ <= firstTick_) return true;
                tick = firstTick_;
            }
            break;
        case NoteViewKey::End:
            if (cursor_ >= kMaxTick) return true;
            if (ctrl) {
                tick = trackEnd;
            } else {
                tick = LastSnapOfPage();
            }
            break;
        case NoteViewKey::Insert:
            Command(note_cmd::Insert);
            return true;
        case NoteViewKey::Delete:
            Command(note_cmd::Delete);
            return true;
        case NoteViewKey::Enter:
            Command(note_cmd::Edit);
            return true;
        case NoteViewKey::F5:
            Notify(NoteViewNotify::StepDown);
            return true;
        case NoteViewKey::F6:
            Notify(NoteViewNotify::StepUp);
            return true;
        case NoteViewKey::F7:
            Notify(NoteViewNotify::BigStepDown);
            return true;
        case NoteViewKey::F8:
            Notify(NoteViewNotify::BigStepUp);
            return true;
        case NoteViewKey::F4:
            if (!alt) return false;
            Command(note_cmd::Close);
            return true;
        case NoteViewKey::F10:
            if (!shift) return false;
            [[fallthrough]];
        case NoteViewKey::ContextMenu:
            if (painter_ != nullptr) {
                const CellRect caret = CaretRect().value_or(CellRect{});
                painter_->OpenContextMenu(caret.x, caret.y);
            }
            return true;
        case NoteViewKey::Other:
            for (const auto& [vk, command] : mnemonics_)
                if (vk == virtualKey) {
                    Command(command);
                    return true;
                }
            return false;
    }
    if (tick != cursor_ || k != cursorKey_) MoveCursor(tick, k);
    return true;
}

void NoteView::MouseDown(std::int32_t x, std::int32_t y) {
    SetFocus(true);
    if (x <= margin_ || song_ == nullptr) return;
    const std::int32_t row = std::max(y, 0) / std::max(rowHeight_, 1);
    const std::uint32_t key =
        static_cast<std::uint32_t>(std::clamp<std::int64_t>(std::int64_t{topKey_} - row, 0, 127));
    std::uint64_t tick =
        firstTick_ + std::uint64_t(x - margin_) * PageTicks() / static_cast<std::uint32_t>(width_);
    tick = (tick + snap_ / 2) / snap_ * snap_;
    MoveCursor(static_cast<std::uint32_t>(std::min<std::uint64_t>(tick, kMaxTick)), key);
}

std::uint32_t NoteView::LastSnapOfPage() const {
    return std::max((firstTick_ + PageTicks() - 1) / snap_ * snap_, firstTick_);
}

void NoteView::PullCursorIntoPage() {
    const std::uint32_t end = firstTick_ + PageTicks();
    if (cursor_ >= end) cursor_ = LastSnapOfPage();
    if (cursor_ < firstTick_) cursor_ = firstTick_;
}

void NoteView::ScrollHorizontal(ScrollAction action, std::uint32_t dragPosition) {
    if (song_ == nullptr) return;
    const EventPos oldPos = Selected();
    switch (action) {
        case ScrollAction::LineBack:
        case ScrollAction::PageBack:
            if (firstTick_ == 0) return;
            firstTick_ = firstTick_ > PageTicks() ? firstTick_ - PageTicks() : 0;
            break;
        case ScrollAction::LineForward:
        case ScrollAction::PageForward:
            if (firstTick_ > song_->SongLengthBeats() * TICKS_PER_BEAT ||
                firstTick_ + PageTicks() > kMaxTick)
                return;
            firstTick_ += PageTicks();
            break;
        case ScrollAction::Drag:
            dragPosition = std::min(dragPosition, kMaxTick / TICKS_PER_BEAT);
            firstTick_ = dragPosition / beatsVisible_ * PageTicks();
            break;
    }
    PullCursorIntoPage();
    Rebuild();
    if (painter_ != nullptr) painter_->ScrollBarsChanged();
    AfterMove(oldPos, true);
}

void NoteView::ScrollVertical(ScrollAction action, std::uint32_t dragPosition) {
    const EventPos oldPos = Selected();
    switch (action) {
        case ScrollAction::LineBack:
        case ScrollAction::PageBack:
            if (topKey_ >= 127) return;
            ++topKey_;
            if (cursorKey_ + rows_ <= topKey_) ++cursorKey_;
            break;
        case ScrollAction::LineForward:
        case ScrollAction::PageForward:
            if (topKey_ < rows_) return;
            --topKey_;
            if (cursorKey_ > topKey_) --cursorKey_;
            break;
        case ScrollAction::Drag:
            topKey_ = std::max<std::uint32_t>(127 - std::min<std::uint32_t>(dragPosition, 127),
                                              rows_ - 1);
            cursorKey_ = std::clamp(cursorKey_, topKey_ + 1 - rows_, topKey_);
            break;
    }
    if (painter_ != nullptr) painter_->ScrollBarsChanged();
    AfterMove(oldPos, true);
}

ScrollBarState NoteView::HorizontalBar() const {
    ScrollBarState bar;
    bar.page = beatsVisible_;
    const Track* track = ShownTrack();
    if (track == nullptr) return bar;
    const std::uint32_t beats = track->BeatCount();
    const std::uint32_t pages = (beats + beatsVisible_ - 1) / beatsVisible_;
    bar.max = pages * beatsVisible_ > 0 ? pages * beatsVisible_ - 1 : 0;
    bar.position = firstTick_ / TICKS_PER_BEAT;
    bar.enabled = true;
    return bar;
}

ScrollBarState NoteView::VerticalBar() const {
    // Position 127 - topKey, so that dragging the thumb back where it was
    // leaves the top row where it was.
    return ScrollBarState{0, 127, rows_, 127 - topKey_, true};
}

std::int32_t NoteView::TickX(std::uint32_t tick) const {
    const std::int64_t dt = std::int64_t{tick} - firstTick_;
    return margin_ + static_cast<std::int32_t>(dt * width_ / PageTicks());
}

std::int32_t NoteView::KeyY(std::uint32_t key) const {
    return rowHeight_ * (static_cast<std::int32_t>(topKey_) - static_cast<std::int32_t>(key));
}

std::optional<CellRect> NoteView::CaretRect() const {
    if (!focused_) return std::nullopt;
    return CellRect{TickX(cursor_), KeyY(cursorKey_), kCaretWidth, rowHeight_};
}

void NoteView::BuildFrame(NoteFrame& frame) const {
    frame.labels.clear();
    frame.beatLines.clear();
    frame.notes.clear();
    frame.selected.reset();
    if (song_ == nullptr) return;
    for (std::uint32_t i = 0; i < rows_ && i <= topKey_; ++i)
        frame.labels.push_back({rowHeight_ * static_cast<std::int32_t>(i),
                                FormatNoteName(static_cast<int>(topKey_ - i))});
    for (std::uint32_t j = 0; j < beatsVisible_; ++j)
        frame.beatLines.push_back(
            margin_ + static_cast<std::int32_t>(std::int64_t{width_} * j / beatsVisible_));
    if (ShownTrack() == nullptr) return;
    const std::uint32_t pageEnd = firstTick_ + PageTicks();
    for (std::size_t n = 0; n < notes_.size(); ++n) {
        const NoteEntry& e = notes_[n];
        const std::uint32_t key = EntryKey(e);
        if (key > topKey_ || key + rows_ <= topKey_) continue;
        const std::uint32_t on = OnTick(e);
        const std::uint32_t off = OffTick(e);
        const std::int32_t x0 = on < firstTick_ ? margin_ : TickX(on);
        const std::int32_t x1 = off >= pageEnd ? margin_ + width_ : TickX(off);
        const CellRect rect{x0, KeyY(key), std::max(x1 - x0, 1), rowHeight_};
        if (static_cast<std::int32_t>(n) == selected_)
            frame.selected = rect;
        else
            frame.notes.push_back(rect);
    }
}

void NoteView::Notify(NoteViewNotify code) {
    if (listener_ != nullptr) listener_->OnNoteViewNotify(code);
}

void NoteView::Command(std::uint32_t id) {
    if (listener_ != nullptr) listener_->OnNoteViewCommand(id);
}

void NoteView::Repaint() {
    if (painter_ == nullptr) return;
    painter_->RepaintAll();
    painter_->ScrollBarsChanged();
    painter_->CaretMoved();
}

}  // namespace kvs
