#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/file_result.h"
#include "files/load_options.h"

namespace kvs {

class Song;

enum class SaveType : std::uint32_t { Full = 0, Type1 = 1, Type0 = 2, Sysex = 3 };

// Loads a ".mid" or ".syx" file (extension compared without regard to case)
// into the song, after its existing tracks.
ResultCode LoadSongFile(const std::string& path, Song& song, const LoadOptions& options);

// Saves in the given form through WriteFileAtomically, so a failed save keeps
// the previous file; failedPath as there.
ResultCode SaveSongFile(const std::string& path, const Song& song, SaveType type,
                        const std::vector<std::string>& outPorts,
                        std::string* failedPath = nullptr);

}  // namespace kvs
