#pragma once

#include <cstdint>

#include "model/event.h"

namespace kvs {

class Song;

struct BarBeat {
    std::uint32_t bar = 1;   // from 1
    std::uint32_t beat = 1;  // from 1, in beats of the time signature
    friend bool operator==(const BarBeat&, const BarBeat&) = default;
};

// Conversions through the tempo and meter maps: the song's initial values
// and the tempo and time-signature events of track 0.
std::uint32_t TicksToMs(const Song& song, Tick tick);
Tick MsToTicks(const Song& song, std::uint32_t ms);
BarBeat TicksToBarBeat(const Song& song, Tick tick);
Tick BarBeatToTicks(const Song& song, std::uint32_t bar, std::uint32_t beat);

}  // namespace kvs
