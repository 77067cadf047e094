#pragma once

#include <ostream>

namespace kvs {

class Song;

// A short human-readable summary: the song's settings, its length and a
// table of its tracks.
void PrintSongInfo(const Song& song, std::ostream& out);

}  // namespace kvs
