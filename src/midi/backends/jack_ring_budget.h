#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kvs {

// How much may go into RtMidi's JACK output ring without overfilling it.
// The ring is emptied once per JACK cycle, into the cycle's MIDI buffer,
// and RtMidi waits inside its send while the ring is full: so what was
// written in the last cycles (three, since our clock may tick before or
// after RtMidi's client within a cycle) must stay under a share of the
// ring. Then no send ever waits, and a cycle's MIDI buffer (where a short
// message takes 12 bytes for its 7 in the ring) is never overfilled.
// Not thread-safe: the port uses it with its send gate held.
class JackRingBudget {
  public:
    // A quarter of RtMidi's 16 KiB ring is left unused.
    static constexpr std::size_t kBudget = 12 * 1024;
    // What a message costs in the ring: its length before its bytes.
    static constexpr std::size_t Cost(std::size_t bytes) { return sizeof(int) + bytes; }

    // Takes room for bytes written in the given cycle; false when the last
    // cycles leave none.
    bool Take(std::size_t bytes, std::uint64_t cycle) {
        Rotate(cycle);
        const std::size_t cost = Cost(bytes);
        if (windows_[0] + windows_[1] + windows_[2] + cost > kBudget) return false;
        windows_[0] += cost;
        return true;
    }

  private:
    void Rotate(std::uint64_t cycle) {
        if (cycle == cycle_) return;
        const std::uint64_t steps = cycle - cycle_;
        for (std::uint64_t i = 0; i < steps && i < windows_.size(); ++i) {
            windows_[2] = windows_[1];
            windows_[1] = windows_[0];
            windows_[0] = 0;
        }
        cycle_ = cycle;
    }

    std::array<std::size_t, 3> windows_{};
    std::uint64_t cycle_ = 0;
};

}  // namespace kvs
