// Tools over controllers and the other single-value events.

#include <algorithm>

#include "model/value_message.h"
#include "tools/more_tools.h"
#include "tools/tool_scan.h"

namespace kvs {
namespace {

// Visits every event of the range in order, in place.
template <typename Visit>
void ScanForward(Track& track, const ToolRange& range, Visit&& visit) {
    const std::uint32_t end = std::min(range.endBeat, track.BeatCount());
    for (std::uint32_t beat = range.firstBeat; beat < end; ++beat)
        for (Event& e : *track.Bucket(beat))
            visit(e);
}

// Matching ignores the channel; the note and time-signature kinds are no
// types a user can pick.
bool Matches(std::uint32_t message, std::uint32_t type) {
    return type < kValueTimeSig && ValueKindOf(message) == type;
}

}  // namespace

void ControllerRenumber(Track& track, const ToolRange& range, std::uint32_t find,
                        std::uint32_t replace) {
    if (find == replace) return;
    ScanForward(track, range, [&](Event& e) {
        if (Kind(e.message) == 0xB0 && Data1(e.message) == find)
            e.message = (e.message & ~0xFF00u) | ((replace & 0x7F) << 8);
    });
}

void ChangeControllers(Track& track, const ToolRange& range, std::uint32_t type,
                       std::int32_t percent, std::int32_t offset) {
    if (percent == 100 && offset == 0) return;
    ScanForward(track, range, [&](Event& e) {
        if (!Matches(e.message, type)) return;
        const std::int64_t value = offset + std::int64_t{MessageValue(e.message)} * percent / 100;
        // Every type's range lies within this, and the message clamps it further.
        const auto clamped =
            static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -8192, 8191));
        e.message = BuildValueMessage(Channel(e.message), type, clamped);
    });
}

void DeleteControllers(Track& track, const ToolRange& range, std::uint32_t type) {
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (Matches(e.message, type)) track.DeleteEvent(e.beat, e.index);
        return ScanNext::Go;
    });
}

}  // namespace kvs
