#pragma once

#include <cstdint>

#include "tools/note_transform_file.h"

namespace kvs {

class Track;

// The base within half an octave of C: C to F# give 0 to 6, G to B -5 to -1.
int BaseOffset(std::uint32_t keyIndex);

// The key a note of key takes under map relative to base (-5..6): the note
// is read relative to the base, clamped into the map, and put back.
int TransformKey(int key, const TransformMap& map, int base);

// Re-keys every note whose note on lies in beats firstBeat to endBeat - 1
// through map, relative to the base key (keyIndex 0-11, C to B); ticks,
// channels and velocities stay. A note on without an end leaves the earlier
// events of its beat alone. False when memory ran out part way: every note
// is then either wholly changed or wholly as it was.
bool TransformNotes(Track& track, std::uint32_t firstBeat, std::uint32_t endBeat,
                    const TransformMap& map, std::uint32_t keyIndex);

}  // namespace kvs
