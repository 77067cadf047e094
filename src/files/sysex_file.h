#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "files/file_result.h"
#include "files/load_options.h"

namespace kvs {

class Song;

// Reads raw F0..F7 messages into a new "Sysex" track, spaced so that a
// receiving device can keep up.
ResultCode ReadSysexFile(std::span<const std::uint8_t> file, Song& song, const LoadOptions& options);

// Every SysEx message of the song in time order, as raw bytes.
std::vector<std::uint8_t> WriteSysexFile(const Song& song);

}  // namespace kvs
