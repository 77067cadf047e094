#include "midi/time_tempo_form.h"

#include <algorithm>
#include <cctype>

#include "midi/engine.h"
#include "model/song.h"

namespace kvs {

std::optional<std::uint32_t> ParseFieldNumber(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

TimeTempoForm::TimeTempoForm(Song& song, Engine* engine, bool midiInDialogs)
    : song_(song), engine_(engine), midiInDialogs_(midiInDialogs) {
    numeratorIndex = std::clamp<std::uint32_t>(song.timeSigNumerator, 1, kMaxNumerator) - 1;
    denominatorIndex = std::min(song.timeSigDenominatorExp, kMaxExponent);
    tempoText_ = std::to_string(song.tempo).substr(0, kTempoChars);
}

std::vector<std::string> TimeTempoForm::NumeratorItems() {
    std::vector<std::string> items;
    for (std::uint32_t n = 1; n <= kMaxNumerator; ++n)
        items.push_back(std::to_string(n));
    return items;
}

std::vector<std::string> TimeTempoForm::DenominatorItems() {
    std::vector<std::string> items;
    for (std::uint32_t e = 0; e <= kMaxExponent; ++e)
        items.push_back(std::to_string(1u << e));
    return items;
}

void TimeTempoForm::SetTempoText(std::string_view text) {
    std::string cut(text.substr(0, kTempoChars));
    if (cut != tempoText_) tempoChanged_ = true;
    tempoText_ = std::move(cut);
}

void TimeTempoForm::SpinTempo(int steps) {
    const std::int64_t now = ParseFieldNumber(tempoText_).value_or(kDefaultTempo);
    const std::int64_t next =
        std::clamp<std::int64_t>(now + steps, std::int64_t{kMinTempo}, std::int64_t{kMaxTempo});
    SetTempoText(std::to_string(next));
}

void TimeTempoForm::TempoFocusLost() {
    if (!tempoChanged_) return;
    tempoChanged_ = false;
    if (!midiInDialogs_ || engine_ == nullptr) return;
    const auto bpm = ParseFieldNumber(tempoText_);
    if (bpm && *bpm >= kMinTempo && *bpm <= kMaxTempo) engine_->SetTempo(*bpm);
}

void TimeTempoForm::Ok() {
    song_.timeSigNumerator = std::min(numeratorIndex, kMaxNumerator - 1) + 1;
    song_.timeSigDenominatorExp = std::min(denominatorIndex, kMaxExponent);
    // A tempo of 0 would freeze playback; keep what is stored in the spin range.
    song_.tempo =
        std::clamp(ParseFieldNumber(tempoText_).value_or(kDefaultTempo), kMinTempo, kMaxTempo);
    song_.modified = 1;
}

}  // namespace kvs
