#pragma once

#include <cstdint>

#include "model/track.h"
#include "tools/tool_range.h"

namespace kvs {

class Song;

// Tools that change events where they are or remove them, each over one track
// and range. A note is chosen by its note on; its end goes with it.
void SetChannel(Track& track, const ToolRange& range, std::uint32_t channel);
void NoteReplace(Track& track, const ToolRange& range, std::uint32_t find, std::uint32_t replace);
void VelocityCrescendo(Track& track, const ToolRange& range, std::int32_t finalPercent);
void ControllerRenumber(Track& track, const ToolRange& range, std::uint32_t find,
                        std::uint32_t replace);
// type is a controller number 0-127, or program change, channel aftertouch,
// pitch bend or tempo (128-131).
void ChangeControllers(Track& track, const ToolRange& range, std::uint32_t type,
                       std::int32_t percent, std::int32_t offset);
// Mirrors the range in time: an event at its first tick goes to the first
// tick after it, and each note keeps its length.
void Reverse(Track& track, const ToolRange& range);
void DeleteNotes(Track& track, const ToolRange& range, std::uint32_t lower, std::uint32_t upper);
void DeleteControllers(Track& track, const ToolRange& range, std::uint32_t type);

// The splits copy the range of one track into new tracks appended to the
// song; the source is left as it was. Each returns how many tracks it added.
std::uint32_t ChannelSplit(Song& song, std::uint32_t source, const ToolRange& range);
enum class SplitBy : std::uint8_t { Key, Velocity, Length };
// Notes whose key, velocity or inclusive length lies in lower..upper go to a
// track named "<>", the others to one named "><"; every other event goes to
// both.
std::uint32_t SplitNotes(Song& song, std::uint32_t source, const ToolRange& range, SplitBy by,
                         std::int32_t lower, std::int32_t upper);

}  // namespace kvs
