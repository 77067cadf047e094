#include "model/track_copy.h"

namespace kvs {

namespace {

// Adds a copy of src's event to dest at tick: a SysEx event's bytes go into a
// new block of dest. An event whose block is missing is dropped.
bool CopyEvent(Track& dest, const Track& src, Tick tick, std::uint32_t message) {
    if (!IsSysex(message)) return dest.AddEvent(tick, message);
    const SysexBlock* block = src.Sysex().Find(SysexId(message));
    if (block == nullptr) return true;
    return dest.AddSysexEvent(tick, block->bytes);
}

Tick TickOf(std::uint32_t beat, const Event& e) {
    return beat * TICKS_PER_BEAT + e.offset;
}

}  // namespace

std::unique_ptr<Track> CopyBeats(const Track& src, std::uint32_t start, std::uint32_t end) {
    auto copy = std::make_unique<Track>();
    const Tick base = start * TICKS_PER_BEAT;
    const std::uint32_t last = end < src.BeatCount() ? end : src.BeatCount();
    for (std::uint32_t beat = start; beat < last; ++beat) {
        const BeatBucket& bucket = *src.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            const Event& e = bucket[i];
            if (IsNoteEnd(e.message)) continue;  // comes with its note on
            if (IsSoundingNoteOn(e.message)) {
                const EventPos off = src.FindNoteOff(beat, i);
                if (!off.Found()) continue;
                const std::uint32_t offBeat = static_cast<std::uint32_t>(off.beat);
                const Event& ending = (*src.Bucket(offBeat))[static_cast<std::uint32_t>(off.index)];
                if (!copy->AddEvent(TickOf(offBeat, ending) - base, ending.message)) return nullptr;
            }
            if (!CopyEvent(*copy, src, TickOf(beat, e) - base, e.message)) return nullptr;
        }
    }
    return copy;
}

bool MergeTrack(Track& dest, const Track& src, std::uint32_t offsetBeats) {
    if (&dest == &src) return false;
    if (src.BeatCount() == 0) return true;
    if (std::uint64_t{offsetBeats} + src.BeatCount() > kMaxTrackBeats) return false;
    const Tick shift = offsetBeats * TICKS_PER_BEAT;
    for (std::uint32_t beat = 0; beat < src.BeatCount(); ++beat) {
        const BeatBucket& bucket = *src.Bucket(beat);
        if (bucket.Empty()) continue;
        if (!dest.EnsureBeats(offsetBeats + beat + 1)) return false;
        BeatBucket& to = *dest.Bucket(offsetBeats + beat);
        if (!to.Reserve(to.Count() + bucket.Count())) return false;
        for (const Event& e : bucket)
            if (!CopyEvent(dest, src, shift + TickOf(beat, e), e.message)) return false;
        dest.Bucket(offsetBeats + beat)->Sort();
    }
    return true;
}

}  // namespace kvs
