#include "ui/note_editor_form.h"

#include <algorithm>
#include <cstdio>

#include "config/prompt_ids.h"
#include "model/form_prompts.h"
#include "model/song.h"
#include "ui/mnemonic_key.h"

namespace kvs {

namespace {

constexpr std::int64_t kMaxTicks = NoteView::kMaxTick;

constexpr std::array<prompt::Id, 5> kStatusLabels{
    prompt::noteedit_stat_start, prompt::noteedit_stat_chan, prompt::noteedit_stat_key,
    prompt::noteedit_stat_vel, prompt::noteedit_stat_len};
constexpr std::array<prompt::Id, 5> kEditLabels{
    prompt::noteedit_edit_start, prompt::noteedit_edit_chan, prompt::noteedit_edit_key,
    prompt::noteedit_edit_vel, prompt::noteedit_edit_len};

std::int64_t FloorTo(std::int64_t v, std::int64_t step) {
    const std::int64_t q = v / step - (v % step != 0 && v < 0 ? 1 : 0);
    return q * step;
}

std::string BeatsTicks(std::uint32_t ticks) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%03u", ticks / TICKS_PER_BEAT, ticks % TICKS_PER_BEAT);
    return text;
}

std::uint32_t Value(const NoteValues& v, std::uint32_t parameter) {
    switch (parameter) {
        case kParamStart:
            return v.start;
        case kParamChan:
            return v.channel;
        case kParamKey:
            return v.key;
        case kParamVelo:
            return v.velocity;
        default:
            return v.length;
    }
}

void SetValue(NoteValues& v, std::uint32_t parameter, std::uint32_t value) {
    switch (parameter) {
        case kParamStart:
            v.start = value;
            break;
        case kParamChan:
            v.channel = value;
            break;
        case kParamKey:
            v.key = value;
            break;
        case kParamVelo:
            v.velocity = value;
            break;
        default:
            v.length = value;
            break;
    }
}

}  // namespace

NoteEditorForm::NoteEditorForm(NoteEditorState& state, const PromptTable& prompts,
                               NoteEditorHost& host, NoteView& view)
    : state_(state), prompts_(prompts), host_(host), view_(view) {
    view_.SetListener(this);
    view_.SetPreview(&host_);
}

NoteEditorForm::~NoteEditorForm() {
    view_.SetListener(nullptr);
    view_.SetPreview(nullptr);
}

PromptText NoteEditorForm::Prompt(prompt::Id id) const {
    return PromptText{prompts_.Key(id), prompts_.Text(id)};
}

void NoteEditorForm::BuildMnemonics() {
    static constexpr std::array<std::pair<prompt::Id, std::uint32_t>, 10> kButtons{{
        {prompt::noteedit_start, note_cmd::ParamStart},
        {prompt::noteedit_chan, note_cmd::ParamStart + kParamChan},
        {prompt::noteedit_key, note_cmd::ParamStart + kParamKey},
        {prompt::noteedit_vel, note_cmd::ParamStart + kParamVelo},
        {prompt::noteedit_len, note_cmd::ParamLength},
        {prompt::noteedit_ins, note_cmd::Insert},
        {prompt::noteedit_del, note_cmd::Delete},
        {prompt::noteedit_edit, note_cmd::Edit},
        {prompt::noteedit_memo, note_cmd::Memo},
        {prompt::noteedit_snap, note_cmd::Snap},
    }};
    mnemonics_.clear();
    for (const auto& [id, command] : kButtons) {
        // Letters and digits are their own key codes; anything else has no key.
        const std::optional<char> key = MnemonicKey(prompts_.Text(id), true);
        if (!key || mnemonics_.size() >= kMaxMnemonics) break;
        mnemonics_.emplace_back(static_cast<std::uint32_t>(*key), command);
    }
    view_.SetMnemonics(mnemonics_);
}

void NoteEditorForm::Open(Song& song, std::uint32_t track) {
    BuildMnemonics();
    host_.SaveUndo();
    host_.RouteMidiIn(true);
    song_ = &song;
    haveSelection_ = false;
    state_.memo.start = current_.start = state_.openBeat * TICKS_PER_BEAT;
    host_.StatusChanged();
    view_.SetSong(&song);
    view_.SetTrack(static_cast<std::int32_t>(track));
    view_.SetZoom(song.timeSigNumerator);
    view_.SetCursor(std::int64_t{state_.openBeat} * TICKS_PER_BEAT, -1);
    view_.SetSnap(state_.snap);
    // Every key of the editor is a key of the view.
    view_.SetFocus(true);
}

void NoteEditorForm::Close() {
    if (song_ == nullptr) return;
    host_.EndPreview();
    host_.RouteMidiIn(false);
    view_.SetSong(nullptr);
    song_ = nullptr;
    host_.CloseEditor();
}

Track* NoteEditorForm::EditTrack() {
    return song_ == nullptr ? nullptr : song_->GetTrack(view_.TrackIndex());
}

void NoteEditorForm::Modified() {
    song_->modified = 1;
}

void NoteEditorForm::OnNoteViewNotify(NoteViewNotify code) {
    switch (code) {
        case NoteViewNotify::Cursor:
            state_.memo.start = view_.Cursor();
            state_.memo.key = view_.CursorKey();
            if (!haveSelection_) host_.StatusChanged();
            return;
        case NoteViewNotify::Selection:
            ReadSelection();
            host_.StatusChanged();
            return;
        default:
            Step(code);
            return;
    }
}

void NoteEditorForm::ReadSelection() {
    const EventPos on = view_.Selected();
    const Track* track = EditTrack();
    haveSelection_ = false;
    if (!on.Found() || track == nullptr) return;
    const auto beat = static_cast<std::uint32_t>(on.beat);
    const auto index = static_cast<std::uint32_t>(on.index);
    const EventPos off = track->FindNoteOff(beat, index);
    const std::int64_t length = track->NoteLength(beat, index);
    if (!off.Found() || length < 0) return;
    const Event& e = (*track->Bucket(beat))[index];
    current_ = {beat * TICKS_PER_BEAT + e.offset, Channel(e.message), Data1(e.message),
                Data2(e.message), static_cast<std::uint32_t>(length)};
    currentOn_ = on;
    currentOff_ = off;
    haveSelection_ = true;
}

bool NoteEditorForm::Collides(std::uint32_t channel, std::uint32_t key, std::uint32_t start,
                              std::uint32_t length) const {
    const Track* track = song_ == nullptr ? nullptr : song_->GetTrack(view_.TrackIndex());
    if (track == nullptr) return false;
    const std::uint64_t end = std::uint64_t{start} + length;
    auto own = [&](std::uint32_t b, std::uint32_t i) {
        const EventPos p{static_cast<std::int32_t>(b), static_cast<std::int32_t>(i)};
        return haveSelection_ && (p == currentOn_ || p == currentOff_);
    };
    auto same = [&](std::uint32_t msg) {
        return (Kind(msg) == 0x80 || Kind(msg) == 0x90) && Channel(msg) == channel &&
               Data1(msg) == key;
    };
    const std::uint32_t lastBeat = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(end / TICKS_PER_BEAT, track->BeatCount()));
    for (std::uint32_t b = start / TICKS_PER_BEAT; b <= lastBeat; ++b) {
        const BeatBucket* bucket = track->Bucket(b);
        if (bucket == nullptr) break;
        for (std::uint32_t i = 0; i < bucket->Count(); ++i) {
            const std::uint64_t t = std::uint64_t{b} * TICKS_PER_BEAT + (*bucket)[i].offset;
            if (t >= start && t < end && same((*bucket)[i].message) && !own(b, i)) return true;
        }
    }
    // A note of that key still sounding at start has no event in the span,
    // yet its note off would be taken for the new note's.
    for (std::uint32_t b = std::min(start / TICKS_PER_BEAT + 1, track->BeatCount()); b-- > 0;) {
        const BeatBucket& bucket = *track->Bucket(b);
        for (std::uint32_t i = bucket.Count(); i-- > 0;) {
            const std::uint32_t msg = bucket[i].message;
            if (b * TICKS_PER_BEAT + bucket[i].offset >= start || !same(msg) || own(b, i)) continue;
            return IsSoundingNoteOn(msg);
        }
    }
    return false;
}

bool NoteEditorForm::Apply(std::uint32_t parameter, std::int64_t v) {
    static constexpr std::array<std::int64_t, 5> kMin{0, 0, 0, 1, 2};
    static constexpr std::array<std::int64_t, 5> kMax{kMaxTicks, 15, 127, 127, kMaxTicks};
    bool ok = song_ != nullptr && parameter < 5 && v >= kMin[parameter] && v <= kMax[parameter];
    if (ok && haveSelection_) {
        NoteValues moved = current_;
        SetValue(moved, parameter, static_cast<std::uint32_t>(v));
        if (parameter != kParamVelo)
            ok = !Collides(moved.channel, moved.key, moved.start, moved.length);
    }
    if (ok && haveSelection_) ok = ChangeSelected(parameter, static_cast<std::uint32_t>(v));
    if (!ok) {
        host_.Beep();
        host_.StatusChanged();
        return false;
    }
    if (!haveSelection_) {
        SetValue(state_.memo, parameter, static_cast<std::uint32_t>(v));
        if (parameter == kParamStart || parameter == kParamKey)
            view_.SetCursor(state_.memo.start, static_cast<std::int32_t>(state_.memo.key));
    } else {
        SetValue(current_, parameter, static_cast<std::uint32_t>(v));
        const NoteValues target = current_;
        view_.Refresh(false);  // sorting may have moved the events
        view_.SetCursor(target.start, static_cast<std::int32_t>(target.key),
                        static_cast<std::int32_t>(target.channel));
        view_.Refresh(true);
    }
    host_.StatusChanged();
    return true;
}

bool NoteEditorForm::ChangeSelected(std::uint32_t parameter, std::uint32_t v) {
    Track* track = EditTrack();
    if (track == nullptr) return false;
    BeatBucket* onBucket = track->Bucket(static_cast<std::uint32_t>(currentOn_.beat));
    BeatBucket* offBucket = track->Bucket(static_cast<std::uint32_t>(currentOff_.beat));
    if (onBucket == nullptr || offBucket == nullptr) return false;
    Event& on = (*onBucket)[static_cast<std::uint32_t>(currentOn_.index)];
    Event& off = (*offBucket)[static_cast<std::uint32_t>(currentOff_.index)];
    SongLock lock = host_.LockSong();
    bool done = true;
    switch (parameter) {
        case kParamStart:
            done = track->MoveNote(static_cast<std::uint32_t>(currentOn_.beat),
                                   static_cast<std::uint32_t>(currentOn_.index), v);
            break;
        case kParamChan:
            on.message = (on.message & ~0x0Fu) | v;
            off.message = (off.message & ~0x0Fu) | v;
            break;
        case kParamKey:
            on.message = (on.message & ~0xFF00u) | (v << 8);
            off.message = (off.message & ~0xFF00u) | (v << 8);
            break;
        case kParamVelo:
            on.message = (on.message & ~0xFF0000u) | (v << 16);
            // A velocity-0 note on that ends the note must stay one.
            if (Kind(off.message) == 0x80) off.message = (off.message & ~0xFF0000u) | (v << 16);
            break;
        default:
            done = track->MoveEvent(static_cast<std::uint32_t>(currentOff_.beat),
                                    static_cast<std::uint32_t>(currentOff_.index),
                                    current_.start + v - 1);
            break;
    }
    if (parameter == kParamChan || parameter == kParamKey || parameter == kParamVelo) {
        // Keep the bucket order the player and the files rely on.
        SortBucket(*onBucket);
        if (offBucket != onBucket) SortBucket(*offBucket);
    }
    if (done) Modified();
    return done;
}

void NoteEditorForm::Step(NoteViewNotify code) {
    if (song_ == nullptr) return;
    const std::uint32_t p = state_.parameter;
    const std::int64_t o = Value(Shown(), p);
    const std::int64_t snap = state_.snap == 0 ? TICKS_PER_BEAT : state_.snap;
    const std::int64_t beat = TICKS_PER_BEAT;
    const bool up = code == NoteViewNotify::StepUp || code == NoteViewNotify::BigStepUp;
    const bool big = code == NoteViewNotify::BigStepUp || code == NoteViewNotify::BigStepDown;
    std::int64_t v = o;
    if (p == kParamStart || p == kParamLength) {
        const std::int64_t step = big ? beat : snap;
        if (up)
            v = FloorTo(o + step, step);
        else
            v = big && o == 0 ? 0 : FloorTo(o - 1, step);
    } else {
        const std::int64_t bigStep = p == kParamKey ? 12 : p == kParamVelo ? 10 : 1;
        const std::int64_t step = big ? bigStep : 1;
        v = up ? o + step : o - step;
    }
    Apply(p, v);
}

void NoteEditorForm::Insert() {
    Track* track = EditTrack();
    if (haveSelection_ || track == nullptr) {
        host_.Beep();
        return;
    }
    const NoteValues m = state_.memo;
    const std::uint64_t offTick = std::uint64_t{m.start} + m.length - 1;
    // A one-tick note would sort its note off before its note on.
    if (m.length < 2 || offTick > kMaxTicks || Collides(m.channel, m.key, m.start, m.length)) {
        host_.Beep();
        return;
    }
    const std::uint32_t on =
        PackMessage(static_cast<std::uint8_t>(0x90 | m.channel), static_cast<std::uint8_t>(m.key),
                    static_cast<std::uint8_t>(m.velocity));
    const std::uint32_t off = (on & ~0xF0u) | 0x80;
    {
        SongLock lock = host_.LockSong();
        const std::uint32_t onBeat = m.start / TICKS_PER_BEAT;
        const std::uint32_t offBeat = static_cast<std::uint32_t>(offTick / TICKS_PER_BEAT);
        if (!track->AddEvent(m.start, on)) {
            host_.Beep();
            return;
        }
        if (!track->AddEvent(static_cast<Tick>(offTick), off)) {
            track->DeleteEvent(onBeat, track->Bucket(onBeat)->Count() - 1);
            host_.Beep();
            return;
        }
        SortBucket(*track->Bucket(offBeat));
        if (onBeat != offBeat) SortBucket(*track->Bucket(onBeat));
    }
    Modified();
    view_.Refresh(false);
    view_.SetCursor(m.start, static_cast<std::int32_t>(m.key));
    view_.Refresh(true);
}

void NoteEditorForm::Delete() {
    Track* track = EditTrack();
    if (!haveSelection_ || track == nullptr) {
        host_.Beep();
        return;
    }
    {
        SongLock lock = host_.LockSong();
        track->DeleteEvent(static_cast<std::uint32_t>(currentOff_.beat),
                           static_cast<std::uint32_t>(currentOff_.index));
        track->DeleteEvent(static_cast<std::uint32_t>(currentOn_.beat),
                           static_cast<std::uint32_t>(currentOn_.index));
    }
    haveSelection_ = false;
    Modified();
    view_.Refresh(false);
    view_.SetCursor(state_.memo.start, -1);
    view_.Refresh(true);
    host_.StatusChanged();
}

ValueDialog NoteEditorForm::EditDialog() const {
    static constexpr std::array<std::int32_t, 5> kMin{0, 1, 0, 1, 1};
    static constexpr std::array<std::int32_t, 5> kMax{kMaxTicks, 16, 127, 127, kMaxTicks};
    static constexpr std::array<FieldKind, 5> kKind{FieldKind::Duration, FieldKind::Integer,
                                                    FieldKind::NoteName, FieldKind::Integer,
                                                    FieldKind::Duration};
    const std::uint32_t p = state_.parameter < 5 ? state_.parameter : kParamStart;
    std::int32_t value = static_cast<std::int32_t>(Value(Shown(), p));
    if (p == kParamChan) ++value;
    ValueDialog d;
    d.SetUp(Prompt(kStatusLabels[p]), 1);
    d.SetField(0, value, kMin[p], kMax[p], kKind[p], 0, Prompt(kEditLabels[p]));
    return d;
}

void NoteEditorForm::Edit() {
    ValueDialog d = EditDialog();
    if (!host_.AskValue(d)) return;
    std::int64_t v = d.fields[0].value;
    if (state_.parameter == kParamChan) --v;
    Apply(state_.parameter, v);
}

void NoteEditorForm::EditSnap() {
    ValueDialog d;
    d.SetUp(Prompt(prompt::noteedit_snap_title), 1);
    d.SetField(0, static_cast<std::int32_t>(state_.snap), 1, TICKS_PER_BEAT, FieldKind::Duration, 0,
               Prompt(prompt::noteedit_edit_snap));
    if (!host_.AskValue(d)) return;
    state_.snap = static_cast<std::uint32_t>(d.fields[0].value);
    view_.SetSnap(state_.snap);
}

void NoteEditorForm::Execute(std::uint32_t commandId) {
    if (song_ == nullptr) return;
    switch (commandId) {
        case note_cmd::Close:
            Close();
            return;
        case note_cmd::Insert:
            Insert();
            return;
        case note_cmd::Delete:
            Delete();
            return;
        case note_cmd::Edit:
            Edit();
            return;
        case note_cmd::Memo:
            if (!haveSelection_) return;
            state_.memo.channel = current_.channel;
            state_.memo.velocity = current_.velocity;
            state_.memo.length = current_.length;
            return;
        case note_cmd::Snap:
            EditSnap();
            return;
        default:
            if (commandId >= note_cmd::ParamStart && commandId <= note_cmd::ParamLength)
                ClickStatusPart(commandId - note_cmd::ParamStart);
            return;
    }
}

void NoteEditorForm::ClickStatusPart(std::uint32_t part) {
    if (part >= 5) return;
    state_.parameter = part;
    host_.StatusChanged();
}

void NoteEditorForm::MidiIn(std::uint32_t message) {
    if (song_ == nullptr || !IsSoundingNoteOn(message) || !view_.Focused()) return;
    const std::uint32_t key = Data1(message) & 0x7F;
    NoteValues& shown = haveSelection_ ? current_ : state_.memo;
    shown.key = key;
    view_.SetCursor(shown.start, static_cast<std::int32_t>(key));
    host_.StatusChanged();
}

NoteEditorLayout LayOutNoteEditor(std::int32_t width, std::int32_t height, std::int32_t buttonWidth,
                                  std::int32_t buttonHeight, std::int32_t statusHeight) {
    NoteEditorLayout l;
    for (std::int32_t i = 0; i < 6; ++i)
        l.buttons[static_cast<std::size_t>(i)] = {
            width - buttonWidth - 5, 10 + i * (buttonHeight + 10), buttonWidth, buttonHeight};
    const std::int32_t viewWidth = std::max(width - buttonWidth - 10, 0);
    l.view = {0, 0, viewWidth, std::max(height - statusHeight, 0)};
    l.status = {0, l.view.height, viewWidth, statusHeight};
    // Six equal parts, so that the mode part at the end is seen too.
    for (std::int32_t i = 0; i < 5; ++i)
        l.statusEdges[static_cast<std::size_t>(i)] = (i + 1) * viewWidth / 6;
    return l;
}

std::array<std::string, 6> NoteEditorForm::StatusTexts() const {
    const NoteValues& v = Shown();
    const std::array<std::string, 5> values{BeatsTicks(v.start), std::to_string(v.channel + 1),
                                            std::to_string(v.key), std::to_string(v.velocity),
                                            BeatsTicks(v.length)};
    std::array<std::string, 6> texts;
    for (std::size_t i = 0; i < 5; ++i)
        texts[i] = std::string(prompts_.Text(kStatusLabels[i])) + ": " + values[i];
    texts[5] =
        prompts_.Text(haveSelection_ ? prompt::noteedit_stat_mod : prompt::noteedit_stat_ins);
    return texts;
}

}  // namespace kvs
