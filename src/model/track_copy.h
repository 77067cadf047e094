#pragma once

#include <cstdint>
#include <memory>

#include "model/track.h"

namespace kvs {

// The beats start to end - 1 of src as a new default track whose first beat
// is start (the clipboard). A note begun in the range comes with its end even
// past the range; a note without an end, and ends of notes begun before the
// range, stay behind. SysEx events get new blocks. Null when memory runs out.
std::unique_ptr<Track> CopyBeats(const Track& src, std::uint32_t start, std::uint32_t end);

// Copies every event of src into dest, offsetBeats beats later; SysEx events
// get new blocks in dest. Each destination beat that received events is
// sorted. False, with dest unchanged, when the result would be too long;
// false after a partial merge when memory runs out. dest and src must differ.
bool MergeTrack(Track& dest, const Track& src, std::uint32_t offsetBeats);

}  // namespace kvs
