#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/song.h"

namespace kvs::test {

// The track at index; a missing track ends the test program (and tells the
// compiler the result is never null).
inline Track& TrackAt(Song& song, std::uint32_t index) {
    Track* track = song.GetTrack(index);
    if (track == nullptr) std::abort();
    return *track;
}

inline Track& AddTrack(Song& song) {
    song.InsertTrack();
    return TrackAt(song, song.TrackCount() - 1);
}

// One event as a reader sees it: its absolute tick and message, with a SysEx
// event's id replaced by its bytes (ids are the table's business).
struct FlatEvent {
    std::uint64_t tick;
    std::uint32_t message;
    std::vector<std::uint8_t> sysex;
    friend bool operator==(const FlatEvent&, const FlatEvent&) = default;
};

inline std::vector<FlatEvent> FlatEvents(const Track& track) {
    std::vector<FlatEvent> events;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        for (const Event& e : *track.Bucket(beat)) {
            FlatEvent flat{std::uint64_t{beat} * TICKS_PER_BEAT + e.offset, e.message, {}};
            if (IsSysex(e.message)) {
                const SysexBlock* block = track.Sysex().Find(SysexId(e.message));
                flat.message = EVT_SYSEX;
                if (block != nullptr) flat.sysex = block->bytes;
            }
            events.push_back(std::move(flat));
        }
    }
    return events;
}

// Field by field and event by event, naming the first difference.
inline ::testing::AssertionResult SameSong(const Song& a, const Song& b) {
    auto differ = [](const std::string& what) {
        return ::testing::AssertionFailure() << what << " differs";
    };
    if (a.tempo != b.tempo) return differ("tempo");
    if (a.timeSigNumerator != b.timeSigNumerator) return differ("time signature numerator");
    if (a.timeSigDenominatorExp != b.timeSigDenominatorExp)
        return differ("time signature denominator");
    if (a.name != b.name) return differ("song name");
    if (a.copyright != b.copyright) return differ("copyright");
    for (std::uint32_t i = 0; i < kMarkerCount; ++i)
        if (a.markers[i] != b.markers[i]) return differ("marker slot " + std::to_string(i));
    if (a.loop != b.loop) return differ("loop flag");
    if (a.TrackCount() != b.TrackCount()) return differ("track count");
    for (std::uint32_t t = 0; t < a.TrackCount(); ++t) {
        const std::string track = "track " + std::to_string(t) + " ";
        if (!(a.GetTrack(t)->properties == b.GetTrack(t)->properties))
            return differ(track + "properties");
        const std::vector<FlatEvent> x = FlatEvents(*a.GetTrack(t));
        const std::vector<FlatEvent> y = FlatEvents(*b.GetTrack(t));
        if (x.size() != y.size()) return differ(track + "event count");
        for (std::size_t i = 0; i < x.size(); ++i)
            if (!(x[i] == y[i])) return differ(track + "event " + std::to_string(i));
    }
    return ::testing::AssertionSuccess();
}

}  // namespace kvs::test
