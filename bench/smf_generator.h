#pragma once

#include <cstdint>
#include <vector>

// Standard MIDI Files of the shapes the load and save targets are measured on.
namespace kvs::bench {

// One track, 1,000,000 note pairs, about 8.7 MB.
std::vector<std::uint8_t> MakeLongTrackFile();
// Format 1, 128 tracks, 2,000,000 events in all, about 7.3 MB.
std::vector<std::uint8_t> MakeManyTracksFile();
// Format 0, 1,000,000 events on 16 channels, about 4 MB.
std::vector<std::uint8_t> MakeFormat0File();

}  // namespace kvs::bench
