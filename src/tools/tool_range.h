#pragma once

#include <cstdint>

namespace kvs {

class BeatSelection;
class Track;

// The beats a tool works on in one track: firstBeat to endBeat - 1. A note
// belongs to the range when its note on does; its end goes with it.
struct ToolRange {
    std::uint32_t firstBeat = 0;
    std::uint32_t endBeat = 0;
    friend bool operator==(const ToolRange&, const ToolRange&) = default;
};

// The selected beats, or the whole track when nothing is selected.
ToolRange GetToolRange(const Track& track, const BeatSelection& selection);
ToolRange WholeTrack(const Track& track);

}  // namespace kvs
