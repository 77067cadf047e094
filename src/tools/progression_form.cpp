#include "tools/progression_form.h"

#include <algorithm>
#include <optional>

#include "model/event.h"
#include "model/form_number.h"
#include "model/track.h"
#include "model/value_format.h"
#include "model/value_message.h"

namespace kvs {
namespace {

using F = ProgressionField;

constexpr std::array<PromptText, kLfoWaveCount> kWaves{
    prompts::kWaveSine,      prompts::kWaveTriangle, prompts::kWaveSawUp,   prompts::kWaveSawDown,
    prompts::kWaveSquare,    prompts::kWavePulse25,  prompts::kWavePulse10, prompts::kWaveSpike,
    prompts::kWaveTrapezium, prompts::kWaveRandom};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A tick count typed as beats.ticks, not negative and within 32 bits.
std::optional<std::uint32_t> ReadTicks(std::string_view text) {
    const std::optional<std::int64_t> ticks = ParseBeatsTicks(text);
    if (!ticks || *ticks < 0 || *ticks > std::int64_t{UINT32_MAX}) return std::nullopt;
    return static_cast<std::uint32_t>(*ticks);
}

std::optional<std::int64_t> ReadUnsigned(std::string_view text, std::int64_t max) {
    const std::optional<std::int64_t> v = ReadUnsignedField(text);
    if (!v || *v > max) return std::nullopt;
    return v;
}

// "Ctrl %d" with its number.
std::string WithNumber(std::string_view text, std::uint32_t n) {
    std::string out(text);
    const std::size_t at = out.find("%d");
    if (at != std::string::npos) out.replace(at, 2, std::to_string(n));
    return out;
}

}  // namespace

ProgressionForm::ProgressionForm(ProgressionSettings& settings, const PromptSource& prompts)
    : settings_(settings) {
    for (std::uint32_t t = 0; t < kValueKindCount; ++t) {
        if (!ProgressionTypeOffered(t)) continue;
        std::string text;
        if (t < kValueProgram)
            text = WithNumber(prompts.Text(prompts::kProgressionCtrl), t);
        else if (t == kValueAftertouch)
            text = prompts.Text(prompts::kProgressionAftertouch);
        else if (t == kValuePitchBend)
            text = prompts.Text(prompts::kEventBend);
        else if (t == kValueTempo)
            text = prompts.Text(prompts::kEventTempo);
        else
            text = prompts.Text(prompts::kEventNote);
        types_.push_back({t, std::move(text)});
    }
    for (const PromptText& wave : kWaves)
        waves_.emplace_back(prompts.Text(wave));
    const std::uint32_t type = settings_.params.type;
    type_ = ProgressionTypeOffered(type) ? type : kProgressionNotes;
    wave_ = settings_.lfo.wave < kLfoWaveCount ? settings_.lfo.wave : 0;
    flags_ = settings_.params.flags;
    ShowAll();
}

void ProgressionForm::ShowAll() {
    const ProgressionParams& p = settings_.params;
    const LfoParams& lfo = settings_.lfo;
    auto value = [&](std::int32_t v) {
        if (IsNotes()) {
            std::string name = FormatNoteName(v);
            if (!name.empty()) return name;
        }
        return std::to_string(v);
    };
    const std::array<std::string, kProgressionFieldCount> shown{
        std::to_string(p.channel < 0 || p.channel > 15 ? 0 : p.channel + 1),
        FormatBeatsTicks(p.startTick),
        FormatBeatsTicks(p.endTick),
        value(p.startValue),
        value(p.endValue),
        std::to_string(p.startVelocity),
        std::to_string(p.endVelocity),
        FormatBeatsTicks(p.snap),
        FormatBeatsTicks(p.noteLength),
        std::to_string(lfo.amplitude),
        FormatBeatsTicks(lfo.period),
        std::to_string(lfo.phase)};
    for (std::size_t i = 0; i < kProgressionFieldCount; ++i)
        SetText(static_cast<F>(i), shown[i]);
}

void ProgressionForm::Complete(const Track& track, const ToolRange& range) {
    ProgressionParams& p = settings_.params;
    p.channel = track.properties.channel <= 15 ? static_cast<std::int16_t>(track.properties.channel)
                                               : std::int16_t{-1};
    p.startTick = range.firstBeat * TICKS_PER_BEAT;
    p.endTick = range.endBeat * TICKS_PER_BEAT;
    SetText(F::Channel, std::to_string(p.channel + 1));
    SetText(F::StartTime, FormatBeatsTicks(p.startTick));
    SetText(F::EndTime, FormatBeatsTicks(p.endTick));
}

bool ProgressionForm::SetType(std::uint32_t type) {
    if (!ProgressionTypeOffered(type)) return false;
    type_ = type;
    return true;
}

bool ProgressionForm::SetTypeText(std::string_view text) {
    text = Trim(text);
    for (const ProgressionType& t : types_)
        if (SameIgnoringCase(text, t.text)) return SetType(t.type);
    const std::optional<std::int64_t> n = ReadUnsignedField(text);
    return n && *n < kValueKindCount && SetType(static_cast<std::uint32_t>(*n));
}

bool ProgressionForm::Enabled(ProgressionField field) const {
    switch (field) {
        case F::Channel:
            return type_ != kValueTempo;
        case F::StartVelocity:
        case F::EndVelocity:
        case F::NoteLength:
            return IsNotes();
        default:
            return true;
    }
}

ValueRange ProgressionForm::SpinRange(ProgressionField field) const {
    const ValueRange type = ProgressionRange(type_);
    switch (field) {
        case F::Channel:
            return {0, 16};
        case F::StartValue:
        case F::EndValue:
            return type;
        case F::StartVelocity:
        case F::EndVelocity:
            return {1, 127};
        case F::Amplitude:
            return {0, type.max};
        case F::Phase:
            return {0, 359};
        default:
            return {0, 0};  // not a spin field
    }
}

std::size_t ProgressionForm::Limit(ProgressionField field) {
    switch (field) {
        case F::Channel:
            return 2;
        case F::StartVelocity:
        case F::EndVelocity:
        case F::Phase:
            return 3;
        case F::StartValue:
        case F::EndValue:
        case F::Amplitude:
            return 5;
        default:
            return 9;
    }
}

const std::string& ProgressionForm::Text(ProgressionField field) const {
    return texts_[static_cast<std::size_t>(field)];
}

void ProgressionForm::SetText(ProgressionField field, std::string_view text) {
    At(field) = std::string(CutField(text, Limit(field)));
}

bool ProgressionForm::SetWave(std::uint32_t wave) {
    if (wave >= kLfoWaveCount) return false;
    wave_ = wave;
    return true;
}

bool ProgressionForm::SetWaveText(std::string_view text) {
    text = Trim(text);
    for (std::uint32_t w = 0; w < waves_.size(); ++w)
        if (SameIgnoringCase(text, waves_[w])) return SetWave(w);
    const std::optional<std::int64_t> n = ReadUnsignedField(text);
    return n && *n < kLfoWaveCount && SetWave(static_cast<std::uint32_t>(*n));
}

void ProgressionForm::MidiIn(std::uint32_t message) {
    if (!IsNotes() || !IsSoundingNoteOn(message)) return;
    F key;
    F velocity;
    if (focus_ == int(F::StartValue) || focus_ == int(F::StartVelocity)) {
        key = F::StartValue;
        velocity = F::StartVelocity;
    } else if (focus_ == int(F::EndValue) || focus_ == int(F::EndVelocity)) {
        key = F::EndValue;
        velocity = F::EndVelocity;
    } else {
        return;
    }
    SetText(key, FormatNoteName(Data1(message)));
    SetText(velocity, std::to_string(Data2(message)));
}

bool ProgressionForm::Ok() {
    ProgressionParams& p = settings_.params;
    LfoParams& lfo = settings_.lfo;
    p.type = static_cast<std::uint16_t>(type_);
    const ValueRange range = ProgressionRange(type_);

    if (Enabled(F::Channel)) {
        const std::optional<std::int64_t> channel = ReadUnsigned(Text(F::Channel), 16);
        if (!channel) return false;
        p.channel = static_cast<std::int16_t>(*channel - 1);
    }

    const std::optional<std::uint32_t> start = ReadTicks(Text(F::StartTime));
    if (!start) return false;
    p.startTick = *start;
    const std::optional<std::uint32_t> end = ReadTicks(Text(F::EndTime));
    if (!end) return false;
    p.endTick = *end;
    if (p.endTick < p.startTick) return false;

    auto readValue = [&](F field, std::int32_t& out) {
        std::optional<std::int64_t> v;
        if (IsNotes()) {
            const int key = ParseNoteName(Text(field));
            if (key >= 0) v = key;
        }
        if (!v) v = ReadSignedField(Text(field));
        if (!v || *v < range.min || *v > range.max) return false;
        out = static_cast<std::int32_t>(*v);
        return true;
    };
    if (!readValue(F::StartValue, p.startValue) || !readValue(F::EndValue, p.endValue))
        return false;

    if (Enabled(F::StartVelocity)) {
        for (auto [field, out] : {std::pair{F::StartVelocity, &p.startVelocity},
                                  std::pair{F::EndVelocity, &p.endVelocity}}) {
            const std::optional<std::int64_t> v = ReadUnsigned(Text(field), 127);
            if (!v || *v < 1) return false;
            *out = static_cast<std::uint16_t>(*v);
        }
        const std::optional<std::uint32_t> length = ReadTicks(Text(F::NoteLength));
        if (!length || *length < 2) return false;
        p.noteLength = *length;
    }

    const std::optional<std::uint32_t> snap = ReadTicks(Text(F::Snap));
    if (!snap || *snap == 0) return false;
    p.snap = *snap;

    const std::optional<std::int64_t> amplitude = ReadUnsigned(Text(F::Amplitude), range.max);
    if (!amplitude) return false;
    lfo.amplitude = static_cast<std::int32_t>(*amplitude);
    const std::optional<std::uint32_t> rate = ReadTicks(Text(F::Rate));
    if (!rate || *rate == 0) return false;
    lfo.period = *rate;
    const std::optional<std::int64_t> phase = ReadUnsigned(Text(F::Phase), 359);
    if (!phase) return false;
    lfo.phase = static_cast<std::int32_t>(*phase);

    lfo.wave = wave_;
    const std::uint32_t velocityBit =
        Enabled(F::StartVelocity) ? (flags_ & kLfoToVelocity) : (p.flags & kLfoToVelocity);
    p.flags = (flags_ & (kLfoToValue | kFilterDuplicates)) | velocityBit;
    return true;
}

}  // namespace kvs
