#include "ui/event_list_model.h"

#include <array>
#include <cstdio>

#include "model/engine_link.h"
#include "model/value_format.h"
#include "model/value_message.h"
#include "ui/mnemonic_key.h"

namespace kvs {

namespace {

constexpr std::int32_t kMaxStart = 192000000;
constexpr std::int32_t kMaxLength = 19200000;

std::string Printf(const char* format, long long a, long long b = 0) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

std::string BeatsTicks(std::uint64_t ticks) {
    return Printf("%lld.%03lld", static_cast<long long>(ticks / TICKS_PER_BEAT),
                  static_cast<long long>(ticks % TICKS_PER_BEAT));
}

bool HasChannel(std::uint32_t message) {
    return Status(message) >= 0x80 && Status(message) < 0xF0;
}

bool IsNoteOn(std::uint32_t message) {
    return IsSoundingNoteOn(message);
}

// The controllers that have a name of their own; 32-51 borrow those of 0-19.
bool HasControllerName(std::uint32_t n) {
    constexpr std::array<std::uint8_t, 16> low{0,  1,  2,  4,  5,  6,  7,  8,
                                               10, 11, 12, 13, 16, 17, 18, 19};
    for (std::uint8_t c : low)
        if (n == c) return true;
    return (n >= 64 && n <= 84) || (n >= 91 && n <= 101);
}

// Rewrites the bits of mask in one event and, for a note on, in the event
// that ends it, keeping both buckets in order. A velocity-0 note on that ends
// the note keeps its velocity when onlyTrueOffs: given one, it would sound.
void RewriteWithEnd(Track& track, std::uint32_t beat, std::uint32_t index, std::uint32_t mask,
                    std::uint32_t bits, bool onlyTrueOffs) {
    const std::uint32_t message = (*track.Bucket(beat))[index].message;
    const EventPos end = IsNoteOn(message) ? track.FindNoteOff(beat, index) : EventPos{};
    std::uint32_t& on = (*track.Bucket(beat))[index].message;
    on = (on & ~mask) | bits;
    if (end.Found()) {
        std::uint32_t& off =
            (*track.Bucket(static_cast<std::uint32_t>(end.beat)))[end.index].message;
        if (!onlyTrueOffs || (off & 0xF0u) == 0x80) off = (off & ~mask) | bits;
        SortBucket(*track.Bucket(static_cast<std::uint32_t>(end.beat)));
    }
    SortBucket(*track.Bucket(beat));
}

}  // namespace

std::string EventTypeName(const PromptTable& prompts, std::uint32_t message) {
    switch (Kind(message)) {
        case EVT_TEMPO:
            return std::string(prompts.Text(prompt::midievent_tempo));
        case EVT_TIMESIG:
            return std::string(prompts.Text(prompt::midievent_timesig));
        case 0x90:
            return std::string(prompts.Text(prompt::midievent_note));
        case 0xA0:
            return std::string(prompts.Text(prompt::midievent_polyaft));
        case 0xB0: {
            std::uint32_t n = Data1(message);
            if (n >= 32 && n <= 51) n -= 32;
            if (HasControllerName(n)) {
                const std::string_view name = prompts.TextOf(Printf("midievent_cc%02lld", n));
                if (!name.empty()) return std::string(name);
            }
            return std::string(prompts.Text(prompt::midievent_ctrlchng));
        }
        case 0xC0:
            return std::string(prompts.Text(prompt::midievent_progchng));
        case 0xD0:
            return std::string(prompts.Text(prompt::midievent_chanaft));
        case 0xE0:
            return std::string(prompts.Text(prompt::midievent_pitbend));
        case EVT_SYSEX:
            return std::string(prompts.Text(prompt::midievent_sysex));
        default:
            return std::string(prompts.Text(prompt::midievent_unknown));
    }
}

std::string EventRowText(const PromptTable& prompts, const Track& track, std::uint32_t beat,
                         std::uint32_t index) {
    const Event& e = (*track.Bucket(beat))[index];
    const std::uint32_t m = e.message;
    std::string value1, value2, length;
    switch (Kind(m)) {
        case EVT_TEMPO:
            value1 = std::to_string(m >> 8);
            break;
        case EVT_TIMESIG:
            value1 = std::to_string(Data1(m));
            value2 = std::to_string(1u << (Data2(m) & 31));
            break;
        case 0x90: {
            value1 = FormatNoteName(Data1(m)) + " (" + std::to_string(Data1(m)) + ")";
            value2 = std::to_string(Data2(m));
            const std::int64_t n = track.NoteLength(beat, index);
            if (n >= 0) length = BeatsTicks(static_cast<std::uint64_t>(n));
            break;
        }
        case 0xA0:
        case 0xB0:
            value1 = std::to_string(Data1(m));
            value2 = std::to_string(Data2(m));
            break;
        case 0xC0:
        case 0xD0:
            value1 = std::to_string(Data1(m));
            break;
        case 0xE0:
            value1 = std::to_string(BendValue(m));
            break;
        case EVT_SYSEX:
            if (const SysexBlock* block = track.Sysex().Find(SysexId(m))) {
                value1 = std::to_string(block->Length());
                for (std::size_t i = 0; i < block->bytes.size() && i < 10; ++i)
                    value2 += Printf("%02llx ", block->bytes[i]);
                if (block->bytes.size() > 10) value2 += "...";
            }
            break;
        default:
            break;
    }
    const std::string channel = HasChannel(m) ? std::to_string(Channel(m) + 1) : std::string();
    return Printf("%lld.%03lld", beat, e.offset) + "\t" + EventTypeName(prompts, m) + "\t" +
           channel + "\t" + value1 + "\t" + value2 + "\t" + length;
}

EventListModel::EventListModel(EditSession& session, EngineLink& engine, const PromptTable& prompts,
                               EventListHost& host)
    : session_(session), engine_(engine), prompts_(prompts), host_(host) {}

EditResult EventListModel::Open(std::uint32_t beat) {
    if (CurrentTrack() == nullptr) return EditResult::NoTrack;
    constexpr std::array<std::pair<prompt::Id, EventListCommand>, 7> keys{{
        {prompt::evtlist_start, EventListCommand::Start},
        {prompt::evtlist_chan, EventListCommand::Chan},
        {prompt::evtlist_val2, EventListCommand::Val2},
        {prompt::evtlist_val3, EventListCommand::Val3},
        {prompt::evtlist_len, EventListCommand::Length},
        {prompt::evtlist_ins, EventListCommand::Insert},
        {prompt::evtlist_del, EventListCommand::Delete},
    }};
    mnemonics_.clear();
    for (const auto& [id, command] : keys) {
        if (const std::optional<char> key = MnemonicKey(prompts_.Text(id), false))
            mnemonics_.emplace_back(*key, command);
    }
    if (session_.SaveUndo() != EditResult::Done) return EditResult::Failed;
    beat_ = beat;
    FillAndSelect(0);
    return EditResult::Done;
}

void EventListModel::Fill() {
    rows_.clear();
    const Track* track = CurrentTrack();
    const BeatBucket* bucket = track != nullptr ? track->Bucket(beat_) : nullptr;
    if (bucket == nullptr) return;
    for (std::uint32_t i = 0; i < bucket->Count(); ++i)
        if (!IsNoteEnd((*bucket)[i].message))
            rows_.push_back({i, EventRowText(prompts_, *track, beat_, i)});
}

void EventListModel::FillAndSelect(std::int32_t row) {
    Fill();
    host_.RowsChanged();
    const auto count = static_cast<std::int32_t>(rows_.size());
    SelectRow(count == 0 ? -1 : std::min(std::max(row, 0), count - 1));
}

void EventListModel::SelectRow(std::int32_t row) {
    host_.EndAudition();
    selected_ = row >= 0 && row < static_cast<std::int32_t>(rows_.size()) ? row : -1;
    const Track* track = CurrentTrack();
    if (selected_ < 0 || track == nullptr) return;
    const std::uint32_t index = rows_[static_cast<std::size_t>(selected_)].index;
    std::uint32_t on = (*track->Bucket(beat_))[index].message;
    if (!IsNoteOn(on)) return;
    const EventPos end = track->FindNoteOff(beat_, index);
    if (!end.Found()) return;
    std::uint32_t off = (*track->Bucket(
        static_cast<std::uint32_t>(end.beat)))[static_cast<std::uint32_t>(end.index)]
                            .message;
    const TrackProperties& p = track->properties;
    if (p.channel != kNoChannel) {
        on = (on & ~0x0Fu) | (p.channel & 0x0F);
        off = (off & ~0x0Fu) | (p.channel & 0x0F);
    }
    host_.Audition(on, off, p.port, static_cast<std::uint32_t>(track->NoteLength(beat_, index)));
}

void EventListModel::Changed(std::int32_t row) {
    session_.GetSong().modified = 1;
    FillAndSelect(row);
}

bool EventListModel::KeyDown(EventListKey key) {
    switch (key) {
        case EventListKey::PageUp:
            Command(EventListCommand::Back);
            break;
        case EventListKey::PageDown:
            Command(EventListCommand::Next);
            break;
        case EventListKey::Insert:
            Command(EventListCommand::Insert);
            break;
        case EventListKey::Delete:
            Command(EventListCommand::Delete);
            break;
    }
    return true;
}

bool EventListModel::LetterKey(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    for (const auto& [key, command] : mnemonics_) {
        if (key == letter) {
            Command(command);
            return true;
        }
    }
    return false;
}

void EventListModel::Command(EventListCommand command) {
    switch (command) {
        case EventListCommand::Close:
            host_.EndAudition();
            host_.Close();
            return;
        case EventListCommand::Insert:
            return Insert();
        case EventListCommand::Next:
        case EventListCommand::Back:
            if (command == EventListCommand::Back) {
                if (beat_ == 0) return;
                --beat_;
            } else if (beat_ < kMaxTrackBeats) {
                ++beat_;
            }
            FillAndSelect(0);
            return;
        default:
            break;
    }
    if (selected_ < 0 || CurrentTrack() == nullptr || CurrentTrack()->Bucket(beat_) == nullptr)
        return;
    switch (command) {
        case EventListCommand::Delete:
            return Delete();
        case EventListCommand::Start:
            return EditStart();
        case EventListCommand::Chan:
            return EditChan();
        case EventListCommand::Val2:
            return EditVal2();
        case EventListCommand::Val3:
            return EditVal3();
        case EventListCommand::Length:
            return EditLength();
        default:
            return;
    }
}

std::optional<std::int32_t> EventListModel::Ask(prompt::Id title, prompt::Id label,
                                                std::int32_t value, std::int32_t min,
                                                std::int32_t max, FieldKind kind) {
    ValueDialog dialog;
    dialog.SetUp(Prompt(title), 1);
    dialog.SetField(0, value, min, max, kind, 0, Prompt(label));
    if (!host_.RunValueDialog(dialog)) return std::nullopt;
    const std::int32_t v = dialog.fields[0].value;
    if (v < min || v > max) return std::nullopt;
    return v;
}

void EventListModel::Insert() {
    Track* track = CurrentTrack();
    if (track == nullptr) return;
    const std::vector<std::string> names{std::string(prompts_.Text(prompt::midievent_note)),
                                         std::string(prompts_.Text(prompt::midievent_polyaft)),
                                         std::string(prompts_.Text(prompt::midievent_ctrlchng)),
                                         std::string(prompts_.Text(prompt::midievent_progchng)),
                                         std::string(prompts_.Text(prompt::midievent_chanaft)),
                                         std::string(prompts_.Text(prompt::midievent_pitbend)),
                                         std::string(prompts_.Text(prompt::midievent_tempo)),
                                         std::string(prompts_.Text(prompt::midievent_timesig)),
                                         std::string(prompts_.Text(prompt::midievent_sysex))};
    const std::optional<std::uint32_t> chosen = host_.ChooseFromList(
        Prompt(prompt::evtlist_type_title), Prompt(prompt::evtlist_edit_type), names, 0);
    if (!chosen || *chosen >= names.size()) return;
    const std::uint32_t ch =
        track->properties.channel == kNoChannel ? 0 : track->properties.channel & 0x0F;
    const Tick tick = beat_ * TICKS_PER_BEAT;
    bool added = false;
    {
        SongLock lock = engine_.LockSong();
        switch (static_cast<NewEvent>(*chosen)) {
            case NewEvent::Note:
                added = track->AddEvent(tick, PackMessage(0x90 | ch, 60, 64));
                if (added) added = track->AddEvent(tick + 95, PackMessage(0x80 | ch, 60, 64));
                break;
            case NewEvent::PolyAft:
                added = track->AddEvent(tick, PackMessage(0xA0 | ch, 60, 0));
                break;
            case NewEvent::CtrlChng:
                added = track->AddEvent(tick, PackMessage(0xB0 | ch));
                break;
            case NewEvent::Program:
                added = track->AddEvent(tick, PackMessage(0xC0 | ch));
                break;
            case NewEvent::ChanAft:
                added = track->AddEvent(tick, PackMessage(0xD0 | ch));
                break;
            case NewEvent::Pitchbend:
                added = track->AddEvent(tick, PackMessage(0xE0 | ch, 0, 64));
                break;
            case NewEvent::Tempo:
                added = track->AddEvent(tick, BuildValueMessage(0, kValueTempo, 100));
                break;
            case NewEvent::TimeSig:
                added = track->AddEvent(tick, BuildValueMessage(0, kValueTimeSig, 4));
                break;
            case NewEvent::Sysex:
                added = track->AddSysexEvent(tick, {0xF0, 0xF7});
                break;
        }
        if (BeatBucket* bucket = track->Bucket(beat_)) SortBucket(*bucket);
    }
    if (added) Changed(selected_);
}

void EventListModel::Delete() {
    Track* track = CurrentTrack();
    std::uint32_t index = rows_[static_cast<std::size_t>(selected_)].index;
    {
        SongLock lock = engine_.LockSong();
        if (IsNoteOn((*track->Bucket(beat_))[index].message)) {
            const EventPos end = track->FindNoteOff(beat_, index);
            if (end.Found()) {
                track->DeleteEvent(static_cast<std::uint32_t>(end.beat),
                                   static_cast<std::uint32_t>(end.index));
                // A note off listed before its note on moves the note on down.
                if (static_cast<std::uint32_t>(end.beat) == beat_ &&
                    static_cast<std::uint32_t>(end.index) < index)
                    --index;
            }
        }
        track->DeleteEvent(beat_, index);
    }
    Changed(selected_);
}

void EventListModel::EditStart() {
    Track* track = CurrentTrack();
    const std::uint32_t index = rows_[static_cast<std::size_t>(selected_)].index;
    const Event e = (*track->Bucket(beat_))[index];
    const auto tick = static_cast<std::int32_t>(beat_ * TICKS_PER_BEAT + e.offset);
    const auto v = Ask(prompt::evtlist_start_title, prompt::evtlist_edit_start, tick, 0, kMaxStart,
                       FieldKind::Duration);
    if (!v) return;
    bool moved;
    {
        SongLock lock = engine_.LockSong();
        const bool note = IsNoteOn(e.message) && track->FindNoteOff(beat_, index).Found();
        moved = note ? track->MoveNote(beat_, index, static_cast<Tick>(*v))
                     : track->MoveEvent(beat_, index, static_cast<Tick>(*v));
    }
    if (!moved) return;
    beat_ = static_cast<std::uint32_t>(*v) / TICKS_PER_BEAT;
    Changed(0);
}

void EventListModel::EditChan() {
    Track* track = CurrentTrack();
    const std::uint32_t index = rows_[static_cast<std::size_t>(selected_)].index;
    const std::uint32_t message = (*track->Bucket(beat_))[index].message;
    if (!HasChannel(message)) return;
    const auto v = Ask(prompt::evtlist_chan_title, prompt::evtlist_edit_chan, Channel(message) + 1,
                       1, 16, FieldKind::Integer);
    if (!v) return;
    const auto channel = static_cast<std::uint32_t>(*v - 1);
    {
        SongLock lock = engine_.LockSong();
        RewriteWithEnd(*track, beat_, index, 0x0Fu, channel, false);
    }
    Changed(selected_);
}

void EventListModel::EditVal2() {
    Track* track = CurrentTrack();
    const std::uint32_t index = rows_[static_cast<std::size_t>(selected_)].index;
    const std::uint32_t message = (*track->Bucket(beat_))[index].message;
    if (IsSysex(message)) {
        if (host_.EditSysex(*track, beat_, index)) Changed(selected_);
        return;
    }
    std::int32_t min = 0, max = 127, value = Data1(message);
    FieldKind kind = FieldKind::Integer;
    if (Kind(message) == EVT_TEMPO)
        min = 10, max = 480, value = static_cast<std::int32_t>(message >> 8);
    if (Kind(message) == EVT_TIMESIG) min = 1, max = 32;
    if (Kind(message) == 0x90) kind = FieldKind::NoteName;
    if (Kind(message) == 0xE0) min = kBendMin, max = kBendMax, value = BendValue(message);
    const auto v =
        Ask(prompt::evtlist_value_title, prompt::evtlist_edit_value, value, min, max, kind);
    if (!v) return;
    const auto u = static_cast<std::uint32_t>(*v);
    {
        SongLock lock = engine_.LockSong();
        const EventPos end = IsNoteOn(message) ? track->FindNoteOff(beat_, index) : EventPos{};
        std::uint32_t& m = (*track->Bucket(beat_))[index].message;
        if (Kind(message) == 0xE0) {
            const std::uint32_t raw = u + 8192;
            m = (m & 0xFF) | ((raw & 0x7F) << 8) | (((raw >> 7) & 0x7F) << 16);
        } else if (Kind(message) == EVT_TEMPO) {
            m = EVT_TEMPO | (u << 8);
        } else {
            m = (m & ~0xFF00u) | (u << 8);
        }
        if (end.Found()) {
            std::uint32_t& off = (*track->Bucket(
                static_cast<std::uint32_t>(end.beat)))[static_cast<std::uint32_t>(end.index)]
                                     .message;
            off = (off & ~0xFF00u) | (u << 8);
            SortBucket(*track->Bucket(static_cast<std::uint32_t>(end.beat)));
        }
        SortBucket(*track->Bucket(beat_));
    }
    Changed(selected_);
}

void EventListModel::EditVal3() {
    Track* track = CurrentTrack();
    const std::uint32_t index = rows_[static_cast<std::size_t>(selected_)].index;
    const std::uint32_t message = (*track->Bucket(beat_))[index].message;
    const std::uint8_t kind = Kind(message);
    if (kind == 0xC0 || kind == 0xD0 || kind == 0xE0 || kind == EVT_SYSEX || kind == EVT_TEMPO)
        return;
    std::uint32_t value;
    if (kind == EVT_TIMESIG) {
        std::vector<std::string> items;
        for (std::uint32_t e = 0; e <= 5; ++e)
            items.push_back(std::to_string(1u << e));
        const auto chosen = host_.ChooseFromList(Prompt(prompt::evtlist_value_title),
                                                 Prompt(prompt::evtlist_edit_value), items,
                                                 std::min<std::uint32_t>(Data2(message), 5));
        if (!chosen || *chosen > 5) return;
        value = *chosen;
    } else {
        const auto v = Ask(prompt::evtlist_value_title, prompt::evtlist_edit_value, Data2(message),
                           kind == 0x90 ? 1 : 0, 127, FieldKind::Integer);
        if (!v) return;
        value = static_cast<std::uint32_t>(*v);
    }
    {
        SongLock lock = engine_.LockSong();
        RewriteWithEnd(*track, beat_, index, 0xFF0000u, value << 16, true);
    }
    Changed(selected_);
}

void EventListModel::EditLength() {
    Track* track = CurrentTrack();
    const std::uint32_t index = rows_[static_cast<std::size_t>(selected_)].index;
    const Event e = (*track->Bucket(beat_))[index];
    if (!IsNoteOn(e.message)) return;
    const EventPos end = track->FindNoteOff(beat_, index);
    if (!end.Found()) return;
    const auto v = Ask(prompt::evtlist_len_title, prompt::evtlist_edit_len,
                       static_cast<std::int32_t>(track->NoteLength(beat_, index)), 2, kMaxLength,
                       FieldKind::Duration);
    if (!v) return;
    {
        SongLock lock = engine_.LockSong();
        const Tick start = beat_ * TICKS_PER_BEAT + e.offset;
        track->MoveEvent(static_cast<std::uint32_t>(end.beat),
                         static_cast<std::uint32_t>(end.index), start + static_cast<Tick>(*v) - 1);
    }
    Changed(selected_);
}

}  // namespace kvs
