#pragma once

#include <cstdint>

#include "model/track.h"

namespace kvs {

// What the Progression tool writes, kept from one use to the next.
inline constexpr std::uint16_t kProgressionNotes = 133;

inline constexpr std::uint32_t kLfoToValue = 1;
inline constexpr std::uint32_t kLfoToVelocity = 2;
inline constexpr std::uint32_t kFilterDuplicates = 4;

struct ProgressionParams {
    std::uint16_t type = kProgressionNotes;  // a value kind 0-131, or notes
    std::int16_t channel = -1;               // 0-15; -1: the track's own
    std::uint32_t startTick = 0;
    std::uint32_t endTick = 0;  // inclusive
    std::int32_t startValue = 60;
    std::int32_t endValue = 60;
    std::uint16_t startVelocity = 80;
    std::uint16_t endVelocity = 80;
    std::uint32_t snap = 48;
    std::uint32_t noteLength = 48;  // inclusive: the note off lies noteLength - 1 later
    std::uint32_t flags = kLfoToValue;
};

enum class LfoWave : std::uint32_t {
    Sine,
    Triangle,
    SawUp,
    SawDown,
    Square,
    Pulse25,
    Pulse10,
    Spike,
    Trapezium,
    Random,
};
inline constexpr std::uint32_t kLfoWaveCount = 10;
// One cycle of the oscillator in phase units.
inline constexpr std::uint64_t kLfoCycle = 24576;

struct LfoParams {
    std::uint32_t wave = 0;
    std::uint32_t period = 192;  // ticks per cycle
    std::int32_t amplitude = 0;  // 0: off
    std::int32_t phase = 0;      // degrees
};

struct ProgressionSettings {
    ProgressionParams params;
    LfoParams lfo;
};

// The parameters as the program remembers them between uses.
ProgressionSettings& ProgressionMemory();

// The range of values a type carries.
struct ValueRange {
    std::int32_t min = 0;
    std::int32_t max = 127;
};
ValueRange ProgressionRange(std::uint32_t type);
// True for the types the tool offers: controllers, aftertouch, pitch bend,
// tempo and notes.
bool ProgressionTypeOffered(std::uint32_t type);

// The Random wave remembers where it was between steps and passes.
struct RandomWaveState {
    std::uint64_t xPrev = 0;
    double vPrev = 0;
    bool due = true;
};
RandomWaveState& RandomWaveMemory();

// The wave's value at phase x; within -1..1 except Random, which reaches just
// over 1.
double LfoValue(std::uint32_t wave, std::uint64_t x, RandomWaveState& random);

// Writes the progression into track, seeding the shared generator with seed.
// Steps that would collide with an event already there are skipped.
void RunProgression(Track& track, const ProgressionParams& params, const LfoParams& lfo,
                    std::uint32_t seed);

}  // namespace kvs
