#pragma once

#include <atomic>
#include <cstdint>

#include "config/packed_settings.h"

namespace kvs {

inline constexpr std::uint16_t kBendTargetAftertouch = 129;
inline constexpr std::uint16_t kBendTargetPitchBend = 130;  // no reassignment
// What the level numbers 0 (Minimum), 1 (Halfway) and 2 (Maximum) stand for.
std::int32_t BendLevelValue(std::uint16_t level);

// The live MIDI assignment and the last pitch bend seen, read by the MIDI
// input thread (and the window thread for the on-screen keyboard) while the
// window thread may replace the settings. Every field is its own atomic word.
class MidiAssignment {
  public:
    MidiAssignment() { Set({}); }

    // Controller numbers are kept within 0-127, bend targets among the ones
    // offered (anything else means no reassignment) and levels within 0-2, so
    // a damaged settings file cannot make a malformed message.
    void Set(const MidiAssignSettings& settings);
    MidiAssignSettings Get() const;

    std::int32_t LastBend() const { return lastBend_.load(std::memory_order_relaxed); }

    // The message reshaped by the settings. Allocates nothing, never blocks.
    std::uint32_t Apply(std::uint32_t message);

  private:
    std::uint32_t ApplyBend(std::uint32_t message);

    std::atomic<std::int32_t> keyTranspose_;
    std::atomic<std::int32_t> velocityPercent_;
    std::atomic<std::int32_t> velocityOffset_;
    std::atomic<std::uint16_t> controllerFrom_;
    std::atomic<std::uint16_t> controllerTo_;
    std::atomic<std::uint16_t> bendUpTarget_;
    std::atomic<std::uint16_t> bendUpMax_;
    std::atomic<std::uint16_t> bendUpMin_;
    std::atomic<std::uint16_t> bendDownTarget_;
    std::atomic<std::uint16_t> bendDownMax_;
    std::atomic<std::uint16_t> bendDownMin_;
    std::atomic<std::int32_t> lastBend_{0};
};

inline std::uint32_t ApplyMidiAssignment(std::uint32_t message, MidiAssignment& assignment) {
    return assignment.Apply(message);
}

}  // namespace kvs
