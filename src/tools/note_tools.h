#pragma once

#include <cstdint>

#include "model/track.h"
#include "tools/tool_range.h"

namespace kvs {

// The note tools, each over one track and range. A note is chosen by its note
// on; its end goes with it wherever it lies.
void Transpose(Track& track, const ToolRange& range, std::int32_t amount);
void ChangeVelocity(Track& track, const ToolRange& range, std::int32_t percent,
                    std::int32_t offset);
void TimeGlide(Track& track, const ToolRange& range, std::int32_t ticks);
void TimeExpand(Track& track, const ToolRange& range, std::int32_t percent);
void Quantise(Track& track, const ToolRange& range, std::int32_t division, std::int32_t strictness,
              std::int32_t swing);
void QuantiseLength(Track& track, const ToolRange& range, std::int32_t division,
                    std::int32_t strictness);
void Humanise(Track& track, const ToolRange& range, std::int32_t maximum);
void SetLength(Track& track, const ToolRange& range, std::int32_t percent, std::int32_t offset);
void Legato(Track& track, const ToolRange& range, std::int32_t gap);

// Where the grid of division steps a beat, pulled with strictness percent
// and swung by swing percent, puts tick t. division 1..96, strictness
// 0..100, swing -100..100.
Tick QuantiseTick(std::int32_t division, std::int32_t strictness, std::int32_t swing, Tick t);

// True when no note on or note off of the note message's channel and key
// lies at a tick from start to start + length - 1, not counting the events
// at own and ownEnd (the note itself and its end, when it is in the track).
bool NoteFits(const Track& track, std::uint32_t message, Tick start, std::uint32_t length,
              EventPos own = {}, EventPos ownEnd = {});

}  // namespace kvs
