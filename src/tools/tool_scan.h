#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "model/track.h"
#include "tools/tool_range.h"

namespace kvs {

// One event as the backward scan meets it. message is the event as read: a
// velocity-0 note on reads as a note off with velocity 64.
struct ScanEvent {
    std::uint32_t beat;
    std::uint32_t index;
    Tick tick;
    std::uint32_t message;
};

enum class ScanNext : std::uint8_t { Go, EndBeat };

// Visits the range from its last event to its first. The visitor may delete
// the event it is on and any later event: the indices still to come stay
// valid because they all lie before it.
template <typename Visit>
void ScanBackward(Track& track, const ToolRange& range, Visit&& visit) {
    const std::uint32_t end = std::min(range.endBeat, track.BeatCount());
    for (std::uint32_t beat = end; beat-- > range.firstBeat;) {
        for (std::uint32_t i = track.Bucket(beat)->Count(); i-- > 0;) {
            const BeatBucket& bucket = *track.Bucket(beat);
            if (i >= bucket.Count()) continue;
            const Event& e = bucket[i];
            const ScanEvent at{beat, i, beat * TICKS_PER_BEAT + e.offset, AsNoteOff(e.message)};
            if (visit(at) == ScanNext::EndBeat) break;
        }
    }
}

// A note on and the note end that pairs with it, as stored.
struct Note {
    EventPos on;
    EventPos off;
    Tick onTick = 0;
    Tick offTick = 0;
    std::uint32_t onMessage = 0;
    std::uint32_t offMessage = 0;
};

// The note whose note on is at (beat, index); nothing when that is no
// sounding note on or its end cannot be found.
std::optional<Note> NoteAt(const Track& track, std::uint32_t beat, std::uint32_t index);

}  // namespace kvs
