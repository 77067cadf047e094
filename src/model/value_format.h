#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/time_map.h"

namespace kvs {

class Song;

// How a beat position is shown (View menu).
enum class DisplayUnit : std::uint32_t { Position = 0, Bar = 1, Time = 2 };

std::string FormatTime(std::uint32_t ms);             // "m:ss.mmm"
std::string FormatBeatsTicks(std::int64_t ticks);     // "b.ttt", "-b.ttt"
std::string FormatNoteName(int key);                  // "C4" for 60
std::string FormatBeatPosition(const Song& song, std::uint32_t beat, DisplayUnit unit);

std::optional<std::int64_t> ParseBeatsTicks(std::string_view text);
std::optional<BarBeat> ParseBarBeat(std::string_view text);
std::optional<std::uint32_t> ParseTime(std::string_view text);  // milliseconds
int ParseNoteName(std::string_view text);                          // -1 on failure

}  // namespace kvs
