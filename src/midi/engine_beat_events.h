#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/event.h"

namespace kvs {

class Song;

// The events of one beat of every audible track, ordered by tick, then track,
// then their place in the bucket: the order in which playback sends them.
// A period then reads only the few events of its own ticks from one array,
// instead of looking into every track at every tick.
//
// Built on the timer thread into storage reserved on the window thread; a
// beat that does not fit is left to the caller (Build returns false).
class BeatEvents {
  public:
    struct Entry {
        std::uint32_t message;
        std::uint32_t track;
        std::uint16_t port;
        std::uint16_t channel;
    };

    // Window thread: room for the busiest beat of the song, with headroom for
    // events added while it plays. False when memory runs out.
    bool ReserveFor(const Song& song);
    void Invalidate() { valid_ = false; }
    bool Holds(std::uint32_t beat) const { return valid_ && beat_ == beat; }
    // Allocates nothing; false (and invalid) when the beat does not fit.
    bool Build(const Song& song, std::uint32_t beat, std::int32_t solo);

    const Entry* begin(std::uint32_t offset) const { return entries_.data() + start_[offset]; }
    const Entry* end(std::uint32_t offset) const { return entries_.data() + start_[offset + 1]; }

  private:
    std::vector<Entry> entries_;  // sized once; only the first start_.back() are used
    std::array<std::uint32_t, TICKS_PER_BEAT + 1> start_{};
    std::uint32_t beat_ = 0;
    bool valid_ = false;
};

}  // namespace kvs
