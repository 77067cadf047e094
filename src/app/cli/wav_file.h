#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kvs {

// The most 16-bit stereo frames a WAV file's 32-bit sizes can describe.
inline constexpr std::uint64_t kMaxWavFrames = (0xFFFFFFFFull - 36) / 4;

// A 16-bit stereo PCM WAV file of interleaved samples (left, right, ...).
// Empty when there are more frames than a WAV file can hold.
std::vector<std::uint8_t> BuildWav(std::span<const std::int16_t> samples, std::uint32_t sampleRate);

}  // namespace kvs
