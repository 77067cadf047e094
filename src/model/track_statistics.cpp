#include "model/track_statistics.h"

#include <algorithm>

#include "model/track.h"
#include "model/value_format.h"

namespace kvs {
namespace {

StatIndex ControllerCounter(std::uint8_t number) {
    switch (number) {
        case 0:
            return kStatCc0;
        case 1:
            return kStatCc1;
        case 7:
            return kStatCc7;
        case 10:
            return kStatCc10;
        case 11:
            return kStatCc11;
        case 64:
            return kStatCc64;
        case 67:
            return kStatCc67;
        case 91:
            return kStatCc91;
        case 93:
            return kStatCc93;
        default:
            return kStatCcOther;
    }
}

void Extremes(std::uint32_t& low, std::uint32_t& high, std::uint32_t value) {
    low = low == kStatNone ? value : std::min(low, value);
    high = high == kStatNone ? value : std::max(high, value);
}

}  // namespace

TrackStatistics CountTrackStatistics(const Track& track) {
    TrackStatistics stats;
    auto& c = stats.counters;
    c[kStatMinKey] = c[kStatMaxKey] = c[kStatMinVelocity] = c[kStatMaxVelocity] = kStatNone;
    c[kStatBeats] = track.BeatCount();
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        for (const Event& e : *track.Bucket(beat)) {
            ++c[kStatEvents];
            const std::uint32_t m = e.message;
            switch (Kind(m)) {
                case EVT_TEMPO:
                    ++c[kStatTempo];
                    break;
                case 0x80:
                    ++c[kStatNoteOff];
                    break;
                case 0x90:
                    if (Data2(m) == 0) {
                        ++c[kStatNoteZero];
                    } else {
                        ++c[kStatNoteOn];
                        Extremes(c[kStatMinKey], c[kStatMaxKey], Data1(m));
                        Extremes(c[kStatMinVelocity], c[kStatMaxVelocity], Data2(m));
                    }
                    break;
                case 0xA0:
                    ++c[kStatPolyPressure];
                    break;
                case 0xB0:
                    ++c[kStatControllers];
                    ++c[ControllerCounter(Data1(m))];
                    break;
                case 0xC0:
                    ++c[kStatProgram];
                    break;
                case 0xD0:
                    ++c[kStatChannelPressure];
                    break;
                case 0xE0:
                    ++c[kStatBend];
                    break;
                case EVT_SYSEX:
                    ++c[kStatSysex];
                    break;
                default:  // time signatures count only in the total
                    break;
            }
        }
    }
    return stats;
}

std::vector<std::string> TrackStatisticsRows(const TrackStatistics& stats,
                                             const PromptSource& texts) {
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < kStatCount; ++i) {
        std::string row(texts.Text(prompts::kStatsLabels[i]));
        row += '\t';
        const std::uint32_t value = stats.counters[i];
        const bool extreme = i >= kStatMinKey && i <= kStatMaxVelocity;
        if (extreme && value == kStatNone) {
            row += "---";
        } else if (i == kStatMinKey || i == kStatMaxKey) {
            row += FormatNoteName(static_cast<int>(value)) + " (" + std::to_string(value) + ")";
        } else {
            row += std::to_string(value);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace kvs
