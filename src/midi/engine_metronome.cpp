#include <algorithm>

#include "midi/engine.h"

namespace kvs {

MetronomeNote ClampedClick(const MetronomeClick& click) {
    return MetronomeNote{std::clamp<std::uint32_t>(click.channel, 1, 16), click.port,
                         std::min<std::uint32_t>(click.key, 127),
                         std::min<std::uint32_t>(click.velocity, 127)};
}

namespace {

// Floor division, so that ticks before the signature's start keep the grid.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

void Engine::MetronomeStep(std::uint32_t tick, EngineState s) {
    const std::uint32_t exponent = transport_.sigDenominatorExp;
    // Denominators beyond 2^9 would leave less than a tick per metronome beat.
    if (exponent > 9) return;
    const std::int64_t interval = 768 >> exponent;
    const std::int64_t d = std::int64_t{tick} - std::int64_t{transport_.sigStartTick};
    const std::int64_t metBeat = FloorDiv(d, interval);
    const std::int64_t rest = d - metBeat * interval;
    if (rest == 0) {
        const std::uint32_t numerator = transport_.sigNumerator;
        if (numerator == 0) return;  // only a file can say so; it plays no clicks
        const std::int64_t n = numerator;
        const std::uint32_t beatInBar =
            IsCountIn(s) ? 1 : static_cast<std::uint32_t>(((metBeat % n) + n) % n);
        ClickOn(beatInBar, s);
    } else if (rest == 24) {
        ClickOffLocked();
    }
}

void Engine::ClickOn(std::uint32_t beatInBar, EngineState s) {
    const std::uint32_t numerator = transport_.sigNumerator;
    const bool first = (s == EngineState::Play || s == EngineState::Record) && numerator != 0 &&
                       beatInBar % numerator == 0;
    const MetronomeNote note =
        ClampedClick(first ? options_.settings.firstBeat : options_.settings.otherBeats);
    out_.SendShort(
        PackMessage(static_cast<std::uint8_t>(0x90 + note.channel - 1),
                    static_cast<std::uint8_t>(note.key), static_cast<std::uint8_t>(note.velocity)),
        note.port);
    lastClick_ = first ? Click::First : Click::Other;
}

void Engine::ClickOff() {
    std::lock_guard<std::mutex> lock(lock_);
    ClickOffLocked();
}

void Engine::ClickOffLocked() {
    if (lastClick_ == Click::None) return;
    const MetronomeNote note = ClampedClick(
        lastClick_ == Click::First ? options_.settings.firstBeat : options_.settings.otherBeats);
    out_.SendShort(
        PackMessage(static_cast<std::uint8_t>(0x80 + note.channel - 1),
                    static_cast<std::uint8_t>(note.key), static_cast<std::uint8_t>(note.velocity)),
        note.port);
    lastClick_ = Click::None;
}

}  // namespace kvs
