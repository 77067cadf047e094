#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace kvs {

class Song;

// The text in double quotes, with backslash, double quote and every byte
// outside printable ASCII escaped, so that any name fits on one line.
std::string QuoteText(std::string_view text);

// Every field and event of the song as plain lines, stable enough to compare
// two songs with a text diff.
void DumpSong(const Song& song, std::ostream& out);

}  // namespace kvs
