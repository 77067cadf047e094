#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "model/event.h"
#include "model/track.h"

namespace kvs::test {

using TimedMessage = std::pair<Tick, std::uint32_t>;
using Timeline = std::vector<TimedMessage>;

inline std::uint32_t On(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity = 100) {
    return PackMessage(0x90 | channel, key, velocity);
}
inline std::uint32_t Off(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity = 64) {
    return PackMessage(0x80 | channel, key, velocity);
}
inline std::uint32_t Tempo(std::uint8_t bpm) {
    return PackMessage(EVT_TEMPO, bpm);
}
inline std::uint32_t Cc(std::uint8_t channel, std::uint8_t number, std::uint8_t value) {
    return PackMessage(0xB0 | channel, number, value);
}

// Every event of the track as (absolute tick, message), in bucket order.
inline std::vector<TimedMessage> Events(const Track& track) {
    std::vector<TimedMessage> out;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        for (const Event& e : *track.Bucket(beat))
            out.emplace_back(beat * TICKS_PER_BEAT + e.offset, e.message);
    return out;
}

inline void Add(Track& track, const std::vector<TimedMessage>& events) {
    for (const auto& [tick, message] : events)
        track.AddEvent(tick, message);
}

}  // namespace kvs::test
