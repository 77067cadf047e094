#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/form_prompts.h"

namespace kvs {

class Track;

// What the Track Statistics dialog counts, in the order of its rows.
enum StatIndex : std::size_t {
    kStatBeats,
    kStatEvents,
    kStatNoteOn,
    kStatNoteOff,
    kStatNoteZero,
    kStatMinKey,
    kStatMaxKey,
    kStatMinVelocity,
    kStatMaxVelocity,
    kStatChannelPressure,
    kStatPolyPressure,
    kStatProgram,
    kStatBend,
    kStatTempo,
    kStatSysex,
    kStatControllers,
    kStatCc0,
    kStatCc1,
    kStatCc7,
    kStatCc10,
    kStatCc11,
    kStatCc64,
    kStatCc67,
    kStatCc91,
    kStatCc93,
    kStatCcOther,
    kStatCount
};
static_assert(kStatCount == std::size(prompts::kStatsLabels));

// An extreme no note on has set.
inline constexpr std::uint32_t kStatNone = 0xFFFFFFFF;

struct TrackStatistics {
    std::array<std::uint32_t, kStatCount> counters{};
};

TrackStatistics CountTrackStatistics(const Track& track);
// One row per counter: "label\tvalue", keys as "C4 (60)", "---" for an
// extreme that stayed unset.
std::vector<std::string> TrackStatisticsRows(const TrackStatistics& stats,
                                             const PromptSource& texts);

}  // namespace kvs
