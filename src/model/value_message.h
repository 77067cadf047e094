#pragma once

#include <cstdint>

namespace kvs {

// Value kinds of BuildValueMessage: 0-127 are controller numbers.
inline constexpr std::uint32_t kValueProgram = 128;
inline constexpr std::uint32_t kValueAftertouch = 129;  // channel pressure
inline constexpr std::uint32_t kValuePitchBend = 130;   // signed, -8192..8191
inline constexpr std::uint32_t kValueTempo = 131;       // beats per minute, 10..480
inline constexpr std::uint32_t kValueTimeSig = 132;     // numerator, over a quarter
inline constexpr std::uint32_t kValueNote = 133;        // key, velocity 0
inline constexpr std::uint32_t kValueKindCount = 134;

inline constexpr std::int32_t kBendMin = -8192;
inline constexpr std::int32_t kBendMax = 8191;

// The message of the kind on channel (0-15) carrying value, clamped into the
// kind's range. 0 (no message) for a kind above 133.
std::uint32_t BuildValueMessage(std::uint32_t channel, std::uint32_t kind, std::int32_t value);

// The kind a message belongs to: its controller number for a controller,
// otherwise one of the codes above; kValueKindCount for anything else.
std::uint32_t ValueKindOf(std::uint32_t message);

// The value a message carries: controller, program or pressure value, the
// signed bend, the tempo, the numerator, a note's key; 0 for other messages.
std::int32_t MessageValue(std::uint32_t message);

// The signed bend of a pitch-bend message: data 1 + 128 x data 2 - 8192.
constexpr std::int32_t BendValue(std::uint32_t message) {
    return static_cast<std::int32_t>(((message >> 8) & 0x7F) | (((message >> 16) & 0x7F) << 7)) -
           8192;
}

}  // namespace kvs
