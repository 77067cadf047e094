#pragma once

#include <cstdint>
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
    int velocity = 100;
    friend bool operator==(const PairedNote&, const PairedNote&) = default;
};
using NoteList = std::vector<PairedNote>;

inline void SortAll(Track& track) {
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        track.Bucket(beat)->Sort();
}

inline void AddNote(Track& track, Tick on, Tick off, std::uint8_t key, std::uint8_t velocity = 100,
                    std::uint8_t channel = 0) {
    track.AddEvent(on, On(channel, key, velocity));
    track.AddEvent(off, Off(channel, key));
}

// Adds the notes, each ended by a note off, and the events; sorts every beat.
inline void Fill(Track& track, const NoteList& notes,
                 std::initializer_list<TimedMessage> events = {}, std::uint8_t channel = 0) {
    for (const PairedNote& n : notes)
        AddNote(track, n.on, n.off, static_cast<std::uint8_t>(n.key),
                static_cast<std::uint8_t>(n.velocity), channel);
    Add(track, events);
    SortAll(track);
}

// Every sounding note on with the end it pairs with; off is 0 when unpaired.
inline NoteList Notes(const Track& track) {
    NoteList out;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        const BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            if (!IsSoundingNoteOn(bucket[i].message)) continue;
            const EventPos end = track.FindNoteOff(beat, i);
            Tick off = 0;
            if (end.Found()) {
                const auto b = static_cast<std::uint32_t>(end.beat);
                off = b * B + (*track.Bucket(b))[static_cast<std::uint32_t>(end.index)].offset;
            }
            out.push_back({beat * B + bucket[i].offset, off, Data1(bucket[i].message),
                           Data2(bucket[i].message)});
        }
    }
    return out;
}

}  // namespace kvs::test
