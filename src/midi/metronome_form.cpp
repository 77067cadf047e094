#include "midi/metronome_form.h"

#include <utility>

#include "midi/time_tempo_form.h"
#include "model/value_format.h"

namespace kvs {

namespace {

constexpr std::uint32_t kFallbackPlayCount = 0;
constexpr std::uint32_t kFallbackRecCount = 4;
constexpr std::uint32_t kFallbackChannel = 10;
constexpr std::uint32_t kFallbackKey = 37;
constexpr std::uint32_t kFallbackFirstVelocity = 100;
constexpr std::uint32_t kFallbackOtherVelocity = 50;

std::string KeyText(std::uint32_t key) {
    return key <= 127 ? FormatNoteName(static_cast<int>(key)) : std::to_string(key);
}

}  // namespace

MetronomeForm::MetronomeForm(const EngineSettings& settings, std::vector<MetronomePort> ports)
    : ports_(std::move(ports)),
      storedFirst_(settings.firstBeat),
      storedOther_(settings.otherBeats) {
    playCount = std::to_string(settings.playCount);
    recCount = std::to_string(settings.recCount);
    auto fill = [this](ClickFields& f, const MetronomeClick& c) {
        f.channel = std::to_string(c.channel);
        f.key = KeyText(c.key);
        f.velocity = std::to_string(c.velocity);
        for (std::size_t i = 0; i < ports_.size(); ++i)
            if (ports_[i].port == c.port) f.portIndex = static_cast<std::int32_t>(i);
    };
    fill(first, settings.firstBeat);
    fill(other, settings.otherBeats);
}

void MetronomeForm::OnNoteOn(std::uint32_t key, std::uint32_t velocity) {
    ClickFields* target = nullptr;
    if (focus_ == Focus::FirstKey || focus_ == Focus::FirstVelocity) target = &first;
    if (focus_ == Focus::OtherKey || focus_ == Focus::OtherVelocity) target = &other;
    if (target == nullptr) return;
    target->key = KeyText(key & 0x7F);
    target->velocity = std::to_string(velocity & 0x7F);
}

MetronomeClick MetronomeForm::Read(const ClickFields& fields, const MetronomeClick& stored,
                                   std::uint32_t defaultVelocity) const {
    MetronomeClick click = stored;
    click.channel = ParseFieldNumber(fields.channel).value_or(kFallbackChannel);
    if (fields.portIndex >= 0 && static_cast<std::size_t>(fields.portIndex) < ports_.size())
        click.port = ports_[static_cast<std::size_t>(fields.portIndex)].port;
    const int named = ParseNoteName(fields.key);
    click.key = named >= 0 ? static_cast<std::uint32_t>(named)
                           : ParseFieldNumber(fields.key).value_or(kFallbackKey);
    click.velocity = ParseFieldNumber(fields.velocity).value_or(defaultVelocity);
    return click;
}

void MetronomeForm::Ok(EngineSettings& settings) const {
    settings.playCount = ParseFieldNumber(playCount).value_or(kFallbackPlayCount);
    settings.recCount = ParseFieldNumber(recCount).value_or(kFallbackRecCount);
    settings.firstBeat = Read(first, storedFirst_, kFallbackFirstVelocity);
    settings.otherBeats = Read(other, storedOther_, kFallbackOtherVelocity);
}

}  // namespace kvs
