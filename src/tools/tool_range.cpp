#include "tools/tool_range.h"

#include "model/beat_selection.h"
#include "model/track.h"

namespace kvs {

ToolRange WholeTrack(const Track& track) {
    return {0, track.BeatCount()};
}

ToolRange GetToolRange(const Track& track, const BeatSelection& selection) {
    if (selection.Anchor() == selection.Caret()) return WholeTrack(track);
    return {selection.Start(), selection.End()};
}

}  // namespace kvs
