#include "ui/ctrl_editor_form.h"

#include <algorithm>
#include <cstdio>

#include "model/engine_link.h"
#include "model/value_message.h"
#include "ui/mnemonic_key.h"

namespace kvs {

namespace {

constexpr std::int64_t kBeat = TICKS_PER_BEAT;

constexpr std::array<prompt::Id, 4> kStatusLabels{
    prompt::ctrledit_stat_start, prompt::ctrledit_stat_chan, prompt::ctrledit_stat_num,
    prompt::ctrledit_stat_val};
constexpr std::array<prompt::Id, 4> kEditLabels{
    prompt::ctrledit_edit_start, prompt::ctrledit_edit_chan, prompt::ctrledit_edit_num,
    prompt::ctrledit_edit_val};

std::int64_t FloorTo(std::int64_t v, std::int64_t step) {
    return (v >= 0 ? v / step : -((-v + step - 1) / step)) * step;
}

// The part of a message that gives an event its place: two events with the
// same key cannot share a tick. A controller is placed by its number; the
// kinds that carry one value per channel, and tempo, by their status alone.
std::uint32_t PlaceKey(std::uint32_t message) {
    if (Kind(message) == 0xB0) return message & 0xFFFF;
    return Kind(message) == EVT_TEMPO ? EVT_TEMPO : Status(message);
}

}  // namespace

CtrlEditorForm::CtrlEditorForm(CtrlEditorState& state, EditSession& session, EngineLink& engine,
                               const PromptTable& prompts, CtrlView& view, CtrlEditorHost& host)
    : state_(state),
      session_(session),
      engine_(engine),
      prompts_(prompts),
      view_(view),
      host_(host) {
    view_.SetListener(this);
}

CtrlEditorForm::~CtrlEditorForm() {
    view_.SetListener(nullptr);
}

EditResult CtrlEditorForm::Open() {
    if (session_.Current() == nullptr) return EditResult::NoTrack;
    // The nine buttons' letters, in the order their mnemonics take precedence.
    constexpr std::array<std::pair<prompt::Id, CtrlCommand>, 9> buttons{{
        {prompt::ctrledit_start, CtrlCommand::Start},
        {prompt::ctrledit_chan, CtrlCommand::Chan},
        {prompt::ctrledit_num, CtrlCommand::Num},
        {prompt::ctrledit_val, CtrlCommand::Val},
        {prompt::ctrledit_ins, CtrlCommand::Insert},
        {prompt::ctrledit_del, CtrlCommand::Delete},
        {prompt::ctrledit_edit, CtrlCommand::Edit},
        {prompt::ctrledit_memo, CtrlCommand::Memo},
        {prompt::ctrledit_snap, CtrlCommand::Snap},
    }};
    mnemonics_.clear();
    for (const auto& [id, command] : buttons) {
        const std::optional<char> key = MnemonicKey(prompts_.Text(id), true);
        if (!key || mnemonics_.size() >= kMaxMnemonics) break;  // no key for it
        mnemonics_.emplace_back(*key, command);
    }
    view_.SetMnemonics(mnemonics_);

    if (session_.SaveUndo() != EditResult::Done) return EditResult::Failed;
    const Tick open = state_.openBeat * TICKS_PER_BEAT;
    state_.memo.start = state_.current.start = open;
    state_.haveSelection = false;
    const Song& song = session_.GetSong();
    view_.SetSong(&song);
    view_.SetTrack(session_.CurrentTrack());
    view_.SetZoom(song.timeSigNumerator);
    view_.SetType(state_.memo.num);
    view_.SetCursor(open, 0, true);
    view_.SetSnap(state_.snap);
    host_.StatusChanged();
    return EditResult::Done;
}

std::array<std::string, CtrlEditorForm::kParameterCount + 1> CtrlEditorForm::StatusTexts() const {
    const CtrlValues& v = Shown();
    std::array<std::string, kParameterCount + 1> texts;
    char buffer[32];
    for (std::uint32_t i = 0; i < kParameterCount; ++i) {
        if (i == Start)
            std::snprintf(buffer, sizeof buffer, "%u.%03u", v.start / TICKS_PER_BEAT,
                          v.start % TICKS_PER_BEAT);
        else
            std::snprintf(buffer, sizeof buffer, "%lld",
                          static_cast<long long>(ValueOf(i) + (i == Chan)));
        texts[i] = std::string(prompts_.Text(kStatusLabels[i])) + ": " + buffer;
    }
    texts[kParameterCount] = std::string(prompts_.Text(
        state_.haveSelection ? prompt::ctrledit_stat_mod : prompt::ctrledit_stat_ins));
    return texts;
}

void CtrlEditorForm::ClickStatusPart(std::uint32_t part) {
    if (part >= kParameterCount) return;
    state_.parameter = part;
    host_.StatusChanged();
}

std::int64_t CtrlEditorForm::ValueOf(std::uint32_t parameter) const {
    const CtrlValues& v = Shown();
    switch (parameter) {
        case Start:
            return v.start;
        case Chan:
            return v.channel;
        case Num:
            return v.num;
        default:
            return v.value;
    }
}

bool CtrlEditorForm::Occupied(Tick tick, std::uint32_t message, EventPos except) const {
    const Track* track = session_.GetSong().GetTrack(view_.TrackIndex());
    const BeatBucket* bucket = track != nullptr ? track->Bucket(tick / TICKS_PER_BEAT) : nullptr;
    if (bucket == nullptr) return false;
    const std::uint32_t beat = tick / TICKS_PER_BEAT;
    for (std::uint32_t i = 0; i < bucket->Count(); ++i) {
        const Event& e = (*bucket)[i];
        if (except == EventPos{static_cast<std::int32_t>(beat), static_cast<std::int32_t>(i)})
            continue;
        if (e.offset == tick % TICKS_PER_BEAT && PlaceKey(e.message) == PlaceKey(message))
            return true;
    }
    return false;
}

bool CtrlEditorForm::Accepts(std::uint32_t parameter, std::int64_t v) const {
    const EventPos selected = view_.Selected();
    const Track* track = session_.GetSong().GetTrack(view_.TrackIndex());
    const bool have = state_.haveSelection && selected.Found() && track != nullptr;
    const std::uint32_t message =
        have ? (*track->Bucket(static_cast<std::uint32_t>(
                   selected.beat)))[static_cast<std::uint32_t>(selected.index)]
                   .message
             : 0;
    switch (parameter) {
        case Start:
            if (v < 0 || v > CtrlView::kMaxTick) return false;
            return !have || !Occupied(static_cast<Tick>(v), message, selected);
        case Chan:
            if (v < 0 || v > 15) return false;
            if (!have || Kind(message) == EVT_TEMPO) return true;
            return !Occupied(state_.current.start,
                             (message & ~0x0Fu) | static_cast<std::uint32_t>(v), selected);
        case Num:
            return v >= 0 && v <= kMaxControlType;
        case Val:
            return v >= view_.MinValue() && v <= view_.MaxValue();
        default:
            return false;
    }
}

bool CtrlEditorForm::Apply(std::uint32_t parameter, std::int64_t v) {
    if (!Accepts(parameter, v)) {
        Refuse();
        return false;
    }
    session_.GetSong().modified = 1;
    const auto value = static_cast<std::int32_t>(v);
    if (parameter == Num) {
        view_.SetType(static_cast<std::uint32_t>(v));
        state_.memo.start = view_.Cursor();
        state_.memo.value = view_.CursorValue();
        state_.memo.num = state_.current.num = static_cast<std::uint32_t>(v);
    } else if (!state_.haveSelection) {
        if (parameter == Start) state_.memo.start = static_cast<Tick>(v);
        if (parameter == Chan) state_.memo.channel = static_cast<std::uint32_t>(v);
        if (parameter == Val) state_.memo.value = value;
        if (parameter == Start || parameter == Val)
            view_.SetCursor(state_.memo.start, state_.memo.value);
    } else {
        const EventPos at = view_.Selected();
        Track* track = session_.Current();
        if (track == nullptr || !at.Found()) return false;
        const auto beat = static_cast<std::uint32_t>(at.beat);
        const auto index = static_cast<std::uint32_t>(at.index);
        Tick tick = state_.current.start;
        {
            SongLock lock = engine_.LockSong();
            BeatBucket& bucket = *track->Bucket(beat);
            std::uint32_t& message = bucket[index].message;
            if (parameter == Start) {
                track->MoveEvent(beat, index, static_cast<Tick>(v));
                tick = static_cast<Tick>(v);
            } else if (parameter == Chan) {
                if (Kind(message) != EVT_TEMPO)
                    message = (message & ~0x0Fu) | static_cast<std::uint32_t>(v);
                SortBucket(bucket);
            } else {
                message = BuildValueMessage(Channel(message), state_.current.num, value);
                SortBucket(bucket);
            }
        }
        view_.Refresh(false);
        view_.SetCursor(tick, parameter == Val ? value : state_.current.value);
    }
    host_.StatusChanged();
    return true;
}

void CtrlEditorForm::Step(CtrlViewNotify step) {
    const std::int64_t o = ValueOf(state_.parameter);
    const bool up = step == CtrlViewNotify::StepUp || step == CtrlViewNotify::BigStepUp;
    const bool big = step == CtrlViewNotify::BigStepUp || step == CtrlViewNotify::BigStepDown;
    std::int64_t v = o;
    if (state_.parameter == Start) {
        const std::int64_t unit = big ? kBeat : std::int64_t{view_.Snap()};
        if (up)
            v = FloorTo(o + unit, unit);
        else
            v = big && o == 0 ? 0 : FloorTo(o - 1, unit);
    } else {
        std::int64_t size = 1;
        if (big && state_.parameter == Num) size = 10;
        if (big && state_.parameter == Val) size = 16;
        v = up ? o + size : o - size;
    }
    Apply(state_.parameter, v);
}

void CtrlEditorForm::ReadSelection() {
    const EventPos at = view_.Selected();
    const Track* track = session_.GetSong().GetTrack(view_.TrackIndex());
    state_.haveSelection = at.Found() && track != nullptr;
    if (!state_.haveSelection) return;
    const auto beat = static_cast<std::uint32_t>(at.beat);
    const Event& e = (*track->Bucket(beat))[static_cast<std::uint32_t>(at.index)];
    state_.current.start = beat * TICKS_PER_BEAT + e.offset;
    state_.current.channel = Kind(e.message) == EVT_TEMPO ? 0 : Channel(e.message);
    state_.current.num = ValueKindOf(e.message);
    state_.current.value = MessageValue(e.message);
}

void CtrlEditorForm::OnCtrlViewNotify(CtrlViewNotify code) {
    switch (code) {
        case CtrlViewNotify::Cursor:
            state_.memo.start = view_.Cursor();
            state_.memo.value = view_.CursorValue();
            if (!state_.haveSelection) host_.StatusChanged();
            break;
        case CtrlViewNotify::Selection:
            ReadSelection();
            host_.StatusChanged();
            break;
        default:
            Step(code);
            break;
    }
}

void CtrlEditorForm::Command(CtrlCommand command) {
    switch (command) {
        case CtrlCommand::Close:
            host_.EndAudition();
            host_.Close();
            break;
        case CtrlCommand::Insert:
            Insert();
            break;
        case CtrlCommand::Delete:
            Delete();
            break;
        case CtrlCommand::Edit:
            Edit();
            break;
        case CtrlCommand::Memo:
            if (!state_.haveSelection) return Refuse();
            state_.memo.channel = state_.current.channel;
            state_.memo.value = state_.current.value;
            break;
        case CtrlCommand::Snap:
            EditSnap();
            break;
        case CtrlCommand::Start:
        case CtrlCommand::Chan:
        case CtrlCommand::Num:
        case CtrlCommand::Val:
            ClickStatusPart(static_cast<std::uint32_t>(command) -
                            static_cast<std::uint32_t>(CtrlCommand::Start));
            break;
    }
}

void CtrlEditorForm::Insert() {
    Track* track = session_.Current();
    if (state_.haveSelection || track == nullptr) return Refuse();
    const CtrlValues& m = state_.memo;
    const std::uint32_t message = BuildValueMessage(m.channel, m.num, m.value);
    if (message == 0 || Occupied(m.start, message, {})) return Refuse();
    {
        SongLock lock = engine_.LockSong();
        if (!track->AddEvent(m.start, message)) return Refuse();
        SortBucket(*track->Bucket(m.start / TICKS_PER_BEAT));
    }
    session_.GetSong().modified = 1;
    view_.Refresh(false);
    view_.SetCursor(m.start, m.value);
    host_.StatusChanged();
}

void CtrlEditorForm::Delete() {
    Track* track = session_.Current();
    const EventPos at = view_.Selected();
    if (!state_.haveSelection || track == nullptr || !at.Found()) return Refuse();
    {
        SongLock lock = engine_.LockSong();
        track->DeleteEvent(static_cast<std::uint32_t>(at.beat),
                           static_cast<std::uint32_t>(at.index));
    }
    state_.haveSelection = false;
    session_.GetSong().modified = 1;
    view_.Refresh(false);
    view_.SetCursor(state_.memo.start, 0, true);
    host_.StatusChanged();
}

void CtrlEditorForm::Edit() {
    const std::uint32_t p = state_.parameter;
    std::int32_t min = 0, max = CtrlView::kMaxTick, shown = static_cast<std::int32_t>(ValueOf(p));
    FieldKind kind = FieldKind::Integer;
    if (p == Start) kind = FieldKind::Duration;
    if (p == Chan) min = 1, max = 16, shown += 1;
    if (p == Num) max = kMaxControlType;
    if (p == Val) min = view_.MinValue(), max = view_.MaxValue();
    ValueDialog dialog;
    dialog.SetUp(Prompt(kStatusLabels[p]), 1);
    dialog.SetField(0, shown, min, max, kind, 0, Prompt(kEditLabels[p]));
    if (!host_.RunValueDialog(dialog)) return;
    Apply(p, std::int64_t{dialog.fields[0].value} - (p == Chan ? 1 : 0));
}

void CtrlEditorForm::EditSnap() {
    ValueDialog dialog;
    dialog.SetUp(Prompt(prompt::ctrledit_snap_title), 1);
    dialog.SetField(0, static_cast<std::int32_t>(state_.snap), 1, TICKS_PER_BEAT,
                    FieldKind::Duration, 0, Prompt(prompt::ctrledit_edit_snap));
    if (!host_.RunValueDialog(dialog)) return;
    state_.snap =
        static_cast<std::uint32_t>(std::clamp<std::int32_t>(dialog.fields[0].value, 1, 192));
    view_.SetSnap(state_.snap);
}

}  // namespace kvs
