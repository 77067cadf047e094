#pragma once

#include <cstdint>

#include "model/beat_bucket.h"
#include "model/event.h"
#include "model/track.h"

namespace kvs::bench {

inline constexpr std::uint32_t kDenseBeats = 100000;
inline constexpr std::uint32_t kDenseNotesPerBeat = 10;  // 1,000,000 notes, 2,000,000 events

// Ten notes a beat over 40 keys, so that the walk back for notes still
// sounding never sees all 128 keys and goes on to beat 0: the worst case
// for the note editor.
inline void FillDenseNotes(Track& track) {
    for (std::uint32_t beat = 0; beat < kDenseBeats; ++beat) {
        const Tick base = beat * TICKS_PER_BEAT;
        for (std::uint32_t n = 0; n < kDenseNotesPerBeat; ++n) {
            const auto key = static_cast<std::uint8_t>(40 + (beat * 3 + n * 4) % 40);
            track.AddEvent(base + n * 19, PackMessage(0x90, key, 100));
            track.AddEvent(base + n * 19 + 150, PackMessage(0x80, key, 64));
        }
    }
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        SortBucket(*track.Bucket(beat));
}

}  // namespace kvs::bench
