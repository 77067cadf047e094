#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvs {

class Song;

// The song as a format 1 file; the full form adds the marker, loop and port
// records. outPorts are the MIDI OUT system names in port order.
std::vector<std::uint8_t> WriteMidiFile1(const Song& song, bool full,
                                         const std::vector<std::string>& outPorts);
// The song as a format 0 file, all tracks merged into one chunk.
std::vector<std::uint8_t> WriteMidiFile0(const Song& song);

}  // namespace kvs
