#include "midi/engine_beat_events.h"

#include <algorithm>
#include <new>

#include "model/song.h"

namespace kvs {

bool BeatEvents::ReserveFor(const Song& song) {
    std::vector<std::uint64_t> perBeat;
    try {
        for (std::uint32_t i = 0; i < song.TrackCount(); ++i) {
            const Track& track = *song.GetTrack(i);
            if (perBeat.size() < track.BeatCount()) perBeat.resize(track.BeatCount(), 0);
            for (std::uint32_t b = 0; b < track.BeatCount(); ++b)
                perBeat[b] += track.Bucket(b)->Count();
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::uint64_t busiest =
        perBeat.empty() ? 0 : *std::max_element(perBeat.begin(), perBeat.end());
    // Headroom for events recorded or edited in while the song plays.
    const std::uint64_t wanted = std::min<std::uint64_t>(busiest * 2 + 256, 1u << 26);
    if (wanted <= entries_.size()) return true;
    try {
        entries_.resize(static_cast<std::size_t>(wanted));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool BeatEvents::Build(const Song& song, std::uint32_t beat, std::int32_t solo) {
    valid_ = false;
    start_.fill(0);
    const std::uint32_t tracks = song.TrackCount();
    std::size_t total = 0;
    for (std::uint32_t i = 0; i < tracks; ++i) {
        if (!song.TrackSounds(i, solo)) continue;
        const BeatBucket* bucket = song.GetTrack(i)->Bucket(beat);
        if (bucket == nullptr) continue;
        for (const Event& e : *bucket) {
            // An offset outside the beat matches no tick.
            if (e.offset >= TICKS_PER_BEAT) continue;
            ++start_[e.offset + 1];
            ++total;
        }
    }
    if (total > entries_.size()) return false;
    for (std::uint32_t o = 1; o <= TICKS_PER_BEAT; ++o)
        start_[o] += start_[o - 1];
    // A counting sort: stable, so tracks and bucket order stay as they were.
    std::array<std::uint32_t, TICKS_PER_BEAT> next;
    std::copy(start_.begin(), start_.end() - 1, next.begin());
    for (std::uint32_t i = 0; i < tracks; ++i) {
        if (!song.TrackSounds(i, solo)) continue;
        const Track& track = *song.GetTrack(i);
        const BeatBucket* bucket = track.Bucket(beat);
        if (bucket == nullptr) continue;
        const std::uint16_t port = track.properties.port;
        const std::uint16_t channel = track.properties.channel;
        for (const Event& e : *bucket) {
            if (e.offset >= TICKS_PER_BEAT) continue;
            entries_[next[e.offset]++] = Entry{e.message, i, port, channel};
        }
    }
    beat_ = beat;
    valid_ = true;
    return true;
}

}  // namespace kvs
