#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files/file_result.h"

namespace kvs {

class Song;

// The copy of a song with unsaved changes that the program keeps in its data
// folder, never beside the user's file, so that a crash loses at most the
// last few minutes. A note beside it names the song it belongs to.
class RecoveryCopy {
  public:
    // folder ends with '/'; an empty folder keeps no copy.
    explicit RecoveryCopy(std::string folder);

    // Writes the song whole (the program's full MIDI form).
    ResultCode Write(const Song& song, const std::string& songPath,
                     const std::vector<std::string>& outPorts);

    struct Offer {
        std::string songPath;  // empty for an untitled song
        std::string copyPath;
    };
    // A copy left behind, when it is newer than the song it belongs to.
    std::optional<Offer> Pending() const;
    void Discard();

  private:
    std::string copy_;
    std::string note_;
};

}  // namespace kvs
