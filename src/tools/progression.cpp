#include "tools/progression.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "model/track_copy.h"
#include "model/value_message.h"
#include "tools/hold_track.h"
#include "tools/note_tools.h"
#include "tools/tool_random.h"

namespace kvs {
namespace {

constexpr double kQuarter = 6144;
constexpr double kHalf = 12288;

// Two events collide when they would set the same thing at one tick: the
// same controller, or any other kind on the same channel.
std::uint32_t CollisionKey(std::uint32_t message) {
    return Kind(message) == 0xB0 ? (message & 0xFFFF) : Status(message);
}

bool HasAt(const Track& track, std::uint64_t tick, std::uint32_t message) {
    const BeatBucket* bucket = track.Bucket(static_cast<std::uint32_t>(tick / TICKS_PER_BEAT));
    if (bucket == nullptr) return false;
    const auto offset = static_cast<std::uint32_t>(tick % TICKS_PER_BEAT);
    const std::uint32_t key = CollisionKey(message);
    for (const Event& e : *bucket)
        if (e.offset == offset && !IsSysex(e.message) && CollisionKey(e.message) == key)
            return true;
    return false;
}

// Room for one more event at tick, so that a note's two halves go in together.
bool Reserve(Track& track, std::uint64_t tick, std::uint32_t events) {
    const auto beat = static_cast<std::uint32_t>(tick / TICKS_PER_BEAT);
    if (!track.EnsureBeats(beat + 1)) return false;
    BeatBucket& bucket = *track.Bucket(beat);
    return bucket.Reserve(bucket.Count() + events);
}

std::int64_t Interpolate(std::int64_t from, std::int64_t to, std::uint64_t done,
                         std::uint64_t span) {
    if (span == 0) return from;
    return from + ((to - from) * static_cast<std::int64_t>(done)) / static_cast<std::int64_t>(span);
}

std::int64_t RoundHalfAway(double v) {
    return static_cast<std::int64_t>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

}  // namespace

ProgressionSettings& ProgressionMemory() {
    static ProgressionSettings settings;
    return settings;
}

RandomWaveState& RandomWaveMemory() {
    static RandomWaveState state;
    return state;
}

ValueRange ProgressionRange(std::uint32_t type) {
    if (type == kValuePitchBend) return {kBendMin, kBendMax};
    if (type == kValueTempo) return {10, 480};
    return {0, 127};
}

bool ProgressionTypeOffered(std::uint32_t type) {
    return type < kValueProgram || type == kValueAftertouch || type == kValuePitchBend ||
           type == kValueTempo || type == kProgressionNotes;
}

double LfoValue(std::uint32_t wave, std::uint64_t x, RandomWaveState& random) {
    const std::uint64_t r = x % kLfoCycle;
    const auto p = static_cast<double>(r);
    switch (static_cast<LfoWave>(wave)) {
        case LfoWave::Sine:
            return std::sin(2 * std::numbers::pi * static_cast<double>(r) / kLfoCycle);
        case LfoWave::Triangle:
            if (p < kQuarter) return p / kQuarter;
            if (p < 3 * kQuarter) return 1 - (p - kQuarter) / kQuarter;
            return (p - 3 * kQuarter) / kQuarter - 1;
        case LfoWave::SawUp:
            return p < kHalf ? p / kHalf : (p - kHalf) / kHalf - 1;
        case LfoWave::SawDown:
            return p < kHalf ? -p / kHalf : 1 - (p - kHalf) / kHalf;
        case LfoWave::Square:
            return r < 12288 ? 1 : -1;
        case LfoWave::Pulse25:
            return r < 6144 ? 1 : -1;
        case LfoWave::Pulse10:
            return r < 2457 ? 1 : -1;
        case LfoWave::Spike:
            return r == 0 ? 1 : -1;
        case LfoWave::Trapezium:
            if (p < 3072) return p / 3072;
            if (p < 9216) return 1;
            if (p < 15360) return 1 - (p - 9216) / 3072;
            if (p < 21504) return -1;
            return (p - 21504) / 3072 - 1;
        case LfoWave::Random: {
            const std::uint64_t cycle = x / kLfoCycle;
            const std::uint64_t prevCycle = random.xPrev / kLfoCycle;
            if (cycle > prevCycle) random.due = true;
            const double v = random.due ? ToolRandom() / 16383.0 - 1 : random.vPrev;
            random.xPrev = x;
            random.vPrev = v;
            random.due = false;
            return v;
        }
    }
    return 0;  // no such wave: no modulation
}

void RunProgression(Track& track, const ProgressionParams& params, const LfoParams& lfo,
                    std::uint32_t seed) {
    const ProgressionParams& p = params;
    if (p.startTick > p.endTick || p.snap == 0) return;
    if (!ProgressionTypeOffered(p.type)) return;
    std::uint32_t channel = 0;
    if (p.channel >= 0 && p.channel <= 15)
        channel = static_cast<std::uint32_t>(p.channel);
    else if (track.properties.channel <= 15)
        channel = track.properties.channel;

    Track hold;
    SeedToolRandom(seed);
    RandomWaveState& random = RandomWaveMemory();
    random.due = true;

    const bool notes = p.type == kProgressionNotes;
    const ValueRange range = ProgressionRange(p.type);
    // A note of one tick would start and end at once and lose its pairing.
    const std::uint32_t noteLength = std::max<std::uint32_t>(p.noteLength, 2);
    const bool lfoOn = lfo.amplitude != 0 && lfo.period != 0;
    const std::uint64_t phase =
        static_cast<std::uint64_t>(((lfo.phase % 360) + 360) % 360) * kLfoCycle / 360;
    const std::uint64_t span = p.endTick - p.startTick;
    std::optional<std::uint32_t> last;

    for (std::uint64_t t = p.startTick; t <= p.endTick && t <= kLastToolTick; t += p.snap) {
        const std::uint64_t done = t - p.startTick;
        std::int64_t value = Interpolate(p.startValue, p.endValue, done, span);
        std::int64_t velocity = Interpolate(p.startVelocity, p.endVelocity, done, span);
        if (lfoOn) {
            // In 64 bits, so that long progressions keep their phase.
            const std::uint64_t x = done * kLfoCycle / lfo.period + phase;
            const std::int64_t d = RoundHalfAway(lfo.amplitude * LfoValue(lfo.wave, x, random));
            if (p.flags & kLfoToValue) value += d;
            if (p.flags & kLfoToVelocity) velocity += d;
        }
        value = std::clamp<std::int64_t>(value, range.min, range.max);
        // Velocity 0 would make the note on a note off.
        velocity = std::clamp<std::int64_t>(velocity, 1, 127);

        const std::uint32_t kind = notes ? kValueNote : p.type;
        std::uint32_t message = BuildValueMessage(channel, kind, static_cast<std::int32_t>(value));
        if (notes) message |= static_cast<std::uint32_t>(velocity) << 16;
        if ((p.flags & kFilterDuplicates) && last == message) continue;

        const auto tick = static_cast<Tick>(t);
        if (notes) {
            const std::uint64_t offTick = t + noteLength - 1;
            if (offTick > kLastToolTick) break;
            if (!NoteFits(track, message, tick, noteLength - 1) ||
                !NoteFits(hold, message, tick, noteLength - 1))
                continue;
            const bool room = t / TICKS_PER_BEAT == offTick / TICKS_PER_BEAT
                                  ? Reserve(hold, t, 2)
                                  : Reserve(hold, offTick, 1) && Reserve(hold, t, 1);
            if (!room) break;
            hold.AddEvent(tick, message);
            hold.AddEvent(static_cast<Tick>(offTick), message & ~0x10u);
        } else {
            if (HasAt(track, t, message) || HasAt(hold, t, message)) continue;
            if (!hold.AddEvent(tick, message)) break;
        }
        last = message;
    }
    MergeTrack(track, hold, 0);
}

}  // namespace kvs
