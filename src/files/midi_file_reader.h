#pragma once

#include <cstdint>
#include <span>

#include "files/file_result.h"
#include "files/load_options.h"

namespace kvs {

class Song;

// Reads a Standard MIDI File held in memory, appending its tracks to the
// song. On a structural fault the tracks read so far stay in the song.
ResultCode ReadMidiFile(std::span<const std::uint8_t> file, Song& song, const LoadOptions& options);

}  // namespace kvs
