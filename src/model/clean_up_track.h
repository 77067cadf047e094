#pragma once

#include <cstdint>

namespace kvs {

class Song;

// Rebuilds the track at index without doubled and stray notes, ending at the
// track's last tick every note, pedal and bend left on. No-op for a track
// without beats or an index out of range.
void CleanUpTrack(Song& song, std::uint32_t trackIndex);

}  // namespace kvs
