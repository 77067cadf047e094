// Inserting and deleting runs of beats with one move of the later beats, so
// that the cost does not grow with the run's length times the track's.

#include <algorithm>
#include <new>
#include <vector>

#include "model/track.h"

namespace kvs {

bool Track::InsertBeats(std::uint32_t beat, std::uint32_t n) {
    const std::size_t size = buckets_.size();
    if (beat > size) return false;
    if (n == 0) return true;
    if (n > kMaxTrackBeats - size) return false;
    try {
        buckets_.resize(size + n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::rotate(buckets_.begin() + beat, buckets_.begin() + static_cast<std::ptrdiff_t>(size),
                buckets_.end());
    BeatsInserted(beat, n);
    return true;
}

bool Track::DeleteBeats(std::uint32_t beat, std::uint32_t n) {
    if (beat >= buckets_.size()) return false;
    const std::uint32_t end =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{beat} + n, BeatCount()));
    std::vector<bool> ownedHere;
    std::vector<EventPos> laterEnds;
    std::uint32_t done = beat;
    bool movedEnds = false;
    try {
        for (; done < end; ++done) {
            BeatBucket& bucket = buckets_[done];
            ownedHere.assign(bucket.Count(), false);
            laterEnds.clear();
            for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
                if (!IsSoundingNoteOn(bucket[i].message)) continue;
                const EventPos off = FindNoteOff(done, i);
                if (!off.Found()) continue;
                if (static_cast<std::uint32_t>(off.beat) == done)
                    ownedHere[static_cast<std::uint32_t>(off.index)] = true;
                else
                    laterEnds.push_back(off);
            }
            // Ends of notes begun before the run go to the tick before it; room
            // first, so a failure leaves the beats deleted so far and no more.
            std::uint32_t stranded = 0;
            for (std::uint32_t i = 0; beat > 0 && i < bucket.Count(); ++i)
                if (IsNoteEnd(bucket[i].message) && !ownedHere[i]) ++stranded;
            if (stranded != 0 && !buckets_[beat - 1].Reserve(buckets_[beat - 1].Count() + stranded))
                break;
            movedEnds = movedEnds || stranded != 0;
            for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
                const std::uint32_t message = bucket[i].message;
                if (IsNoteEnd(message) && stranded != 0 && !ownedHere[i]) {
                    buckets_[beat - 1].Append(Event{TICKS_PER_BEAT - 1, message});
                    Added(beat - 1, message);
                } else if (IsSysex(message))
                    sysex_.Remove(SysexId(message));
            }
            // From the back, so the remaining positions stay valid; doubled
            // note ons share one end, which must go only once.
            std::sort(laterEnds.begin(), laterEnds.end(), [](const EventPos& a, const EventPos& b) {
                return a.beat != b.beat ? a.beat > b.beat : a.index > b.index;
            });
            laterEnds.erase(std::unique(laterEnds.begin(), laterEnds.end()), laterEnds.end());
            for (const EventPos& p : laterEnds)
                buckets_[static_cast<std::uint32_t>(p.beat)].RemoveAt(
                    static_cast<std::uint32_t>(p.index));
        }
    } catch (const std::bad_alloc&) {
        // Only the bookkeeping vectors allocate; the beat being looked at is untouched.
    }
    if (movedEnds) buckets_[beat - 1].Sort();
    buckets_.erase(buckets_.begin() + beat, buckets_.begin() + done);
    BeatsErased(beat, done - beat);
    return done == end;
}

}  // namespace kvs
