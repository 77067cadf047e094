#pragma once

#include <cstdint>

#include "model/track.h"

namespace kvs {

inline constexpr std::uint16_t kNoTempo = 0xFFFF;

// Property events to write at one beat of a track. -1 (kNoTempo for the
// tempo) leaves a value out.
struct ChangeRecord {
    std::uint32_t beat = 0;
    std::uint16_t channel = kNoChannel;
    std::uint16_t port = 0;
    std::int16_t program = -1;
    std::int16_t bank = -1;  // controller 0 * 128 + controller 32
    std::int16_t volume = -1;
    std::int16_t pan = -1;
    std::int16_t reverb = -1;
    std::int16_t chorus = -1;
    std::uint16_t tempo = kNoTempo;  // beats per minute

    friend bool operator==(const ChangeRecord&, const ChangeRecord&) = default;
};

// The record the Change Properties dialog opens with: the track's channel
// and port, filled from the property events at the start of the beat.
ChangeRecord ReadChangeRecord(const Track& track, std::uint32_t beat);

// Replaces the property events at the start of the record's beat (tempo,
// program, controllers 0, 7, 10, 32, 91 and 93 on any channel) with the
// record's set values, then sorts the bucket. The caller takes the undo
// copy and the song lock. False when an event could not be stored.
bool ApplyChangeRecord(Track& track, const ChangeRecord& record);

// Change Properties at beat 0 edits the initial properties instead.
inline bool ChangeOpensInitialProperties(std::uint32_t caretBeat) {
    return caretBeat == 0;
}

}  // namespace kvs
