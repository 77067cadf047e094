#include "ui/ctrl_view.h"

#include <algorithm>

#include "model/song.h"
#include "model/value_message.h"

namespace kvs {

bool MatchesControlType(std::uint32_t message, std::uint32_t type) {
    if (type < 128) return (message & 0xFFF0) == (type << 8 | 0xB0);
    switch (type) {
        case kValueProgram:
            return Kind(message) == 0xC0;
        case kValueAftertouch:
            return Kind(message) == 0xD0;
        case kValuePitchBend:
            return Kind(message) == 0xE0;
        case kValueTempo:
            return Kind(message) == EVT_TEMPO;
        default:
            return false;
    }
}

const Track* CtrlView::CurrentTrack() const {
    return song_ != nullptr ? song_->GetTrack(trackIndex_) : nullptr;
}

Tick CtrlView::TrackEnd() const {
    const Track* track = CurrentTrack();
    return track != nullptr ? track->BeatCount() * TICKS_PER_BEAT : 0;
}

Tick CtrlView::TickOf(const Entry& e) const {
    return e.beat * TICKS_PER_BEAT + (*CurrentTrack()->Bucket(e.beat))[e.index].offset;
}

std::uint32_t CtrlView::MessageOf(const Entry& e) const {
    return (*CurrentTrack()->Bucket(e.beat))[e.index].message;
}

void CtrlView::SetSong(const Song* song) {
    song_ = song;
    cursor_ = firstTick_ = trackIndex_ = 0;
    Rebuild();
    Reselect();
    RepaintAll();
    if (painter_ != nullptr) painter_->ScrollBarChanged();
    Caret();
}

void CtrlView::SetCursor(std::int64_t tick, std::int32_t value, bool keepValue) {
    const State before = Take();
    cursor_ = tick < 0 ? TrackEnd() : static_cast<Tick>(std::min<std::int64_t>(tick, kMaxTick));
    if (!keepValue) cursorValue_ = std::clamp(value, minValue_, maxValue_);
    AfterMove(before, true);
}

void CtrlView::SetTrack(std::int32_t index) {
    if (index < 0) {
        const std::uint32_t count = song_ != nullptr ? song_->TrackCount() : 0;
        trackIndex_ = count > 0 ? count - 1 : 0;
    } else {
        trackIndex_ = static_cast<std::uint32_t>(index);
    }
    Refresh(false);
    Caret();
}

void CtrlView::SetZoom(std::uint32_t beats) {
    beatsVisible_ = std::max(beats, 1u);
    firstTick_ = cursor_ / PageTicks() * PageTicks();
    Refresh(false);
    Caret();
}

void CtrlView::SetSnap(std::uint32_t ticks) {
    snap_ = ticks == 0 ? TICKS_PER_BEAT : ticks;
}

EventPos CtrlView::Selected() const {
    if (selected_ < 0) return {};
    const Entry& e = events_[static_cast<std::size_t>(selected_)];
    return {static_cast<std::int32_t>(e.beat), static_cast<std::int32_t>(e.index)};
}

void CtrlView::Refresh(bool audition) {
    if (listener_ != nullptr) listener_->EndAudition();
    Rebuild();
    Reselect();
    if (audition) AuditionSelection();
    RepaintAll();
    if (painter_ != nullptr) painter_->ScrollBarChanged();
}

bool CtrlView::SetType(std::uint32_t type) {
    if (type > kMaxControlType) return false;
    type_ = type;
    minValue_ = type == kValuePitchBend ? kBendMin : type == kValueTempo ? 10 : 0;
    maxValue_ = type == kValuePitchBend ? kBendMax : type == kValueTempo ? 480 : 127;
    cursorValue_ = type == kValueTempo ? 100 : 0;
    Rebuild();
    Reselect();
    RepaintAll();
    Notify(CtrlViewNotify::Selection);
    Caret();
    return true;
}

void CtrlView::SetFontMetrics(std::int32_t charWidth, std::int32_t rowHeight) {
    charWidth_ = charWidth;
    if (rowHeight_ == 0) rowHeight_ = rowHeight;
    margin_ = 5 * charWidth_;
    width_ = std::max(clientWidth_ - margin_, 1);
}

void CtrlView::SetClientSize(std::int32_t width, std::int32_t height) {
    clientWidth_ = width;
    width_ = std::max(width - margin_, 1);
    height_ = height;
    RepaintAll();
    Caret();
}

void CtrlView::SetFocus(bool focused) {
    focused_ = focused;
    if (!focused && listener_ != nullptr) listener_->EndAudition();
    Caret();
}

void CtrlView::Rebuild() {
    events_.clear();
    selected_ = -1;
    const Track* track = CurrentTrack();
    if (track == nullptr) return;
    const std::uint32_t first = firstTick_ / TICKS_PER_BEAT;
    const std::uint32_t end = std::min(first + beatsVisible_, track->BeatCount());
    for (std::uint32_t beat = first; beat < end; ++beat) {
        const BeatBucket& bucket = *track->Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i)
            if (MatchesControlType(bucket[i].message, type_)) events_.push_back({beat, i});
    }
}

bool CtrlView::ScrollToCursor() {
    if (cursor_ >= firstTick_ && cursor_ - firstTick_ < PageTicks()) return false;
    firstTick_ = cursor_ / PageTicks() * PageTicks();
    Rebuild();
    return true;
}

void CtrlView::Reselect(EventPos prefer) {
    selected_ = -1;
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const Entry& e = events_[i];
        const bool wanted = prefer.Found() ? static_cast<std::int32_t>(e.beat) == prefer.beat &&
                                                 static_cast<std::int32_t>(e.index) == prefer.index
                                           : TickOf(e) == cursor_;
        if (wanted) {
            selected_ = static_cast<std::int32_t>(i);
            return;
        }
    }
    if (prefer.Found()) Reselect();
}

void CtrlView::AuditionSelection() {
    if (listener_ == nullptr) return;
    listener_->EndAudition();
    if (selected_ < 0) return;
    std::uint32_t message = MessageOf(events_[static_cast<std::size_t>(selected_)]);
    // A tempo change is the sequencer's own event: no device can play it.
    if (Kind(message) == EVT_TEMPO) return;
    const TrackProperties& p = CurrentTrack()->properties;
    if (p.channel != kNoChannel) message = (message & ~0x0Fu) | (p.channel & 0x0F);
    listener_->Audition(message, p.port);
}

void CtrlView::AfterMove(const State& before, bool alwaysNotify, EventPos prefer) {
    if (firstTick_ != before.firstTick) Rebuild();
    const bool scrolled = ScrollToCursor() || firstTick_ != before.firstTick;
    Reselect(prefer);
    const bool selectionChanged = Selected() != before.selected;
    if (selectionChanged) AuditionSelection();
    if (scrolled || selectionChanged) RepaintAll();
    if (scrolled && painter_ != nullptr) painter_->ScrollBarChanged();
    if (selectionChanged || alwaysNotify) Notify(CtrlViewNotify::Selection);
    Caret();
    Notify(CtrlViewNotify::Cursor);
}

bool CtrlView::KeyDown(CtrlViewKey key, bool shift, bool ctrl, bool alt) {
    if (song_ == nullptr) return false;
    const State before = Take();
    const Tick page = PageTicks();
    switch (key) {
        case CtrlViewKey::Left:
        case CtrlViewKey::Right:
            if (alt) {
                NextEvent(key == CtrlViewKey::Right);
                return true;
            }
            if (key == CtrlViewKey::Left && ctrl) {
                if (cursor_ == 0) return true;
                cursor_ = (cursor_ - 1) / TICKS_PER_BEAT * TICKS_PER_BEAT;
            } else if (ctrl) {
                if (cursor_ >= kMaxTick) return true;
                cursor_ = (cursor_ + TICKS_PER_BEAT) / TICKS_PER_BEAT * TICKS_PER_BEAT;
            } else if (key == CtrlViewKey::Left) {
                cursor_ = cursor_ > snap_ ? cursor_ - snap_ : 0;
                cursor_ = cursor_ / snap_ * snap_;
            } else {
                if (cursor_ < kMaxTick) cursor_ += snap_;
                cursor_ = cursor_ / snap_ * snap_;
            }
            break;
        case CtrlViewKey::Up:
        case CtrlViewKey::Down: {
            const std::int32_t step = ctrl ? (maxValue_ - minValue_) / 16 : 1;
            cursorValue_ += key == CtrlViewKey::Up ? step : -step;
            cursorValue_ = std::clamp(cursorValue_, minValue_, maxValue_);
            break;
        }
        case CtrlViewKey::Home:
            if (ctrl) {
                if (cursor_ == 0) return true;
                cursor_ = 0;
            } else {
                if (cursor_ <= firstTick_) return true;
                cursor_ = firstTick_;
            }
            break;
        case CtrlViewKey::End:
            if (cursor_ >= kMaxTick) return true;
            cursor_ = ctrl ? TrackEnd() : firstTick_ + page - std::min(snap_, page);
            break;
        case CtrlViewKey::Insert:
            Post(CtrlCommand::Insert);
            return true;
        case CtrlViewKey::Delete:
            Post(CtrlCommand::Delete);
            return true;
        case CtrlViewKey::Enter:
            Post(CtrlCommand::Edit);
            return true;
        case CtrlViewKey::F4:
            if (!alt) return false;
            Post(CtrlCommand::Close);
            return true;
        case CtrlViewKey::F5:
            Notify(CtrlViewNotify::StepDown);
            return true;
        case CtrlViewKey::F6:
            Notify(CtrlViewNotify::StepUp);
            return true;
        case CtrlViewKey::F7:
            Notify(CtrlViewNotify::BigStepDown);
            return true;
        case CtrlViewKey::F8:
            Notify(CtrlViewNotify::BigStepUp);
            return true;
        case CtrlViewKey::F10:
            if (!shift) return false;
            [[fallthrough]];
        case CtrlViewKey::Menu:
            if (listener_ != nullptr) {
                const CellRect caret = CaretRect();
                listener_->OnCtrlViewContextMenu(caret.x, caret.y);
            }
            return true;
    }
    AfterMove(before);
    return true;
}

bool CtrlView::LetterKey(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    for (const auto& [key, command] : mnemonics_) {
        if (key == letter) {
            Post(command);
            return true;
        }
    }
    return false;
}

void CtrlView::MouseDown(std::int32_t x, std::int32_t y) {
    if (!focused_) SetFocus(true);
    if (song_ == nullptr || x < margin_) return;
    const State before = Take();
    const std::int32_t usable = height_ - 10;
    if (usable > 0) {
        y = std::clamp(y, 2, height_ - 8);
        const std::int64_t range = std::int64_t{maxValue_} - minValue_;
        cursorValue_ = static_cast<std::int32_t>(maxValue_ - range * (y - 2) / usable);
    }
    const std::uint64_t tick =
        firstTick_ + std::uint64_t(x - margin_) * PageTicks() / static_cast<std::uint32_t>(width_);
    cursor_ =
        static_cast<Tick>(std::min<std::uint64_t>((tick + snap_ / 2) / snap_ * snap_, kMaxTick));
    AfterMove(before);
}

void CtrlView::ScrollHorizontal(ScrollAction action, std::uint32_t dragPosition) {
    if (song_ == nullptr) return;
    const State before = Take();
    const Tick page = PageTicks();
    const Tick lastSnap = page - std::min(snap_, page);
    switch (action) {
        case ScrollAction::LineBack:
        case ScrollAction::PageBack:
            firstTick_ = firstTick_ > page ? firstTick_ - page : 0;
            if (cursor_ >= firstTick_ + page) cursor_ = firstTick_ + lastSnap;
            break;
        case ScrollAction::LineForward:
        case ScrollAction::PageForward:
            if (firstTick_ > song_->SongLengthBeats() * TICKS_PER_BEAT) return;
            firstTick_ += page;
            if (cursor_ < firstTick_) cursor_ = firstTick_;
            break;
        case ScrollAction::Drag:
            firstTick_ = dragPosition / beatsVisible_ * page;
            if (cursor_ >= firstTick_ + page) cursor_ = firstTick_ + lastSnap;
            if (cursor_ < firstTick_) cursor_ = firstTick_;
            break;
    }
    AfterMove(before);
}

ScrollBarState CtrlView::HorizontalBar() const {
    ScrollBarState bar;
    bar.page = beatsVisible_;
    bar.position = firstTick_ / TICKS_PER_BEAT;
    const Track* track = CurrentTrack();
    const std::uint32_t beats = track != nullptr ? track->BeatCount() : 0;
    if (beats > 0) {
        bar.max = (beats + beatsVisible_ - 1) / beatsVisible_ * beatsVisible_ - 1;
        bar.enabled = true;
    }
    return bar;
}

void CtrlView::NextEvent(bool forward) {
    const Track* track = CurrentTrack();
    if (track == nullptr || track->BeatCount() == 0) return;
    const std::int64_t beats = track->BeatCount();
    auto count = [&](std::int64_t beat) {
        return static_cast<std::int64_t>(track->Bucket(static_cast<std::uint32_t>(beat))->Count());
    };
    // Beside the selected event, else the first event at or after the caret
    // (going forwards) or the last one before it (going backwards).
    std::int64_t beat = cursor_ / TICKS_PER_BEAT;
    std::int64_t index = 0;
    const EventPos selected = Selected();
    if (selected.Found()) {
        beat = selected.beat;
        index = selected.index + (forward ? 1 : -1);
    } else if (beat >= beats) {
        if (forward) return;
        beat = beats - 1;
        index = count(beat) - 1;
    } else {
        const BeatBucket& bucket = *track->Bucket(static_cast<std::uint32_t>(beat));
        const std::uint32_t offset = cursor_ % TICKS_PER_BEAT;
        while (index < count(beat) && bucket[static_cast<std::uint32_t>(index)].offset < offset)
            ++index;
        if (!forward) --index;
    }
    while (beat >= 0 && beat < beats) {
        const BeatBucket& bucket = *track->Bucket(static_cast<std::uint32_t>(beat));
        for (; index >= 0 && index < count(beat); index += forward ? 1 : -1) {
            const Event& e = bucket[static_cast<std::uint32_t>(index)];
            if (!MatchesControlType(e.message, type_)) continue;
            const State before = Take();
            cursor_ = static_cast<Tick>(beat * TICKS_PER_BEAT + e.offset);
            cursorValue_ = std::clamp(MessageValue(e.message), minValue_, maxValue_);
            const EventPos found{static_cast<std::int32_t>(beat), static_cast<std::int32_t>(index)};
            AfterMove(before, false, forward ? found : EventPos{});
            return;
        }
        beat += forward ? 1 : -1;
        index = forward || beat < 0 ? 0 : count(beat) - 1;
    }
}

void CtrlView::Post(CtrlCommand command) {
    if (listener_ != nullptr) listener_->OnCtrlViewCommand(command);
}

void CtrlView::Notify(CtrlViewNotify code) {
    if (listener_ != nullptr) listener_->OnCtrlViewNotify(code);
}

void CtrlView::RepaintAll() {
    if (painter_ != nullptr) painter_->RepaintAll();
}

void CtrlView::Caret() {
    if (painter_ != nullptr) painter_->CaretMoved();
}

std::int32_t CtrlView::XOfTick(Tick tick) const {
    const std::int64_t dt = std::int64_t{tick} - firstTick_;
    return static_cast<std::int32_t>(margin_ + dt * width_ / PageTicks());
}

std::int32_t CtrlView::YOfValue(std::int32_t value) const {
    const std::int64_t range = std::int64_t{maxValue_} - minValue_;
    const std::int64_t usable = height_ - 10;
    return static_cast<std::int32_t>((maxValue_ - std::int64_t{value}) * usable / range + 2);
}

std::int32_t CtrlView::BeatLineX(std::uint32_t j) const {
    return static_cast<std::int32_t>(margin_ + std::int64_t{width_} * j / beatsVisible_);
}

std::int32_t CtrlView::GuideY(std::int32_t i) const {
    return height_ * i / 2 + 5 - 5 * i;
}

std::vector<CtrlView::Block> CtrlView::Blocks() const {
    std::vector<Block> blocks;
    if (song_ == nullptr) return blocks;
    blocks.reserve(events_.size());
    const std::int32_t right = margin_ + width_;
    auto block = [&](const Entry& e, bool selected) {
        const std::int32_t x = XOfTick(TickOf(e));
        const std::int32_t value = std::clamp(MessageValue(MessageOf(e)), minValue_, maxValue_);
        const std::int32_t w = std::min(kBlockWidth, right - x);
        if (w > 0) blocks.push_back({{x, YOfValue(value), w, kBlockHeight}, selected});
    };
    for (std::size_t i = 0; i < events_.size(); ++i)
        if (static_cast<std::int32_t>(i) != selected_) block(events_[i], false);
    if (selected_ >= 0) block(events_[static_cast<std::size_t>(selected_)], true);
    return blocks;
}

CellRect CtrlView::CaretRect() const {
    return {XOfTick(cursor_), YOfValue(cursorValue_), 2, kBlockHeight};
}

}  // namespace kvs
