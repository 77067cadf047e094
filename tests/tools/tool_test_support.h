#pragma once

#include <cstdint>
#include <tuple>
#include <vector>

#include "model/track.h"
#include "model/track_fixture.h"

namespace kvs::test {

constexpr Tick B = TICKS_PER_BEAT;

// A note as the track pairs it: note on tick, note end tick, key, velocity.
struct PairedNote {
    Tick on;
    Tick off;
    int key;
    int velocity;
    friend bool operator==(const PairedNote&, const PairedNote&) = default;
};

inline void SortAll(Track& track) {
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        track.Bucket(beat)->Sort();
}

inline void AddNote(Track& track, Tick on, Tick off, std::uint8_t key, std::uint8_t velocity = 100,
                    std::uint8_t channel = 0) {
    track.AddEvent(on, On(channel, key, velocity));
    track.AddEvent(off, Off(channel, key));
}

// Every sounding note on with the end it pairs with; off is 0 when unpaired.
inline std::vector<PairedNote> Notes(const Track& track) {
    std::vector<PairedNote> out;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        const BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            if (!IsSoundingNoteOn(bucket[i].message)) continue;
            const EventPos end = track.FindNoteOff(beat, i);
            Tick off = 0;
            if (end.Found())
                off = static_cast<Tick>(end.beat) * B +
                      (*track.Bucket(static_cast<std::uint32_t>(
                          end.beat)))[static_cast<std::uint32_t>(end.index)]
                          .offset;
            out.push_back({beat * B + bucket[i].offset, off, Data1(bucket[i].message),
                           Data2(bucket[i].message)});
        }
    }
    return out;
}

}  // namespace kvs::test
