// Track edits that move or drop events across beats while keeping every note
// paired with its end.

#include <algorithm>
#include <vector>

#include "model/track.h"

namespace kvs {

namespace {

constexpr std::uint32_t kLastOffset = TICKS_PER_BEAT - 1;

Tick AbsoluteTick(std::uint32_t beat, const Event& e) {
    return beat * TICKS_PER_BEAT + e.offset;
}

// Takes the event out of (beat, index) and appends it at tick. Room is made
// first, so the event is never lost on the way.
bool Relocate(Track& track, std::uint32_t beat, std::uint32_t index, Tick tick) {
    const std::uint32_t dest = tick / TICKS_PER_BEAT;
    if (!track.EnsureBeats(dest + 1)) return false;
    BeatBucket& to = *track.Bucket(dest);
    if (!to.Reserve(to.Count() + 1)) return false;
    BeatBucket& from = *track.Bucket(beat);
    const std::uint32_t message = from[index].message;
    from.RemoveAt(index);
    return track.AddEvent(tick, message);
}

// The note ends that the note ons of one beat own: those inside the beat are
// flagged, those in later beats listed once each (doubled note ons share one
// end, and taking a second end would cut a later note of the same key).
struct BeatNotes {
    std::vector<bool> ownedHere;
    std::vector<EventPos> laterEnds;
};

BeatNotes CollectNotes(const Track& track, std::uint32_t beat) {
    const BeatBucket& bucket = *track.Bucket(beat);
    BeatNotes notes;
    notes.ownedHere.assign(bucket.Count(), false);
    for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
        if (!IsSoundingNoteOn(bucket[i].message)) continue;
        const EventPos end = track.FindNoteOff(beat, i);
        if (!end.Found()) continue;
        if (static_cast<std::uint32_t>(end.beat) == beat)
            notes.ownedHere[static_cast<std::uint32_t>(end.index)] = true;
        else
            notes.laterEnds.push_back(end);
    }
    // Remove from the back so the remaining positions stay valid.
    std::sort(notes.laterEnds.begin(), notes.laterEnds.end(),
              [](const EventPos& a, const EventPos& b) {
                  return a.beat != b.beat ? a.beat > b.beat : a.index > b.index;
              });
    notes.laterEnds.erase(std::unique(notes.laterEnds.begin(), notes.laterEnds.end()),
                          notes.laterEnds.end());
    return notes;
}

void RemoveAll(Track& track, const std::vector<EventPos>& positions) {
    for (const EventPos& p : positions)
        track.Bucket(static_cast<std::uint32_t>(p.beat))
            ->RemoveAt(static_cast<std::uint32_t>(p.index));
}

// Counts the ends that close notes begun before the beat (they move to the
// beat's previous tick) and makes room for them there first, so running out
// of memory changes nothing.
bool ReserveStrandedEnds(Track& track, std::uint32_t beat, const BeatNotes& notes,
                         std::uint32_t* stranded) {
    *stranded = 0;
    if (beat == 0) return true;
    const BeatBucket& bucket = *track.Bucket(beat);
    for (std::uint32_t i = 0; i < bucket.Count(); ++i)
        if (IsNoteEnd(bucket[i].message) && !notes.ownedHere[i]) ++*stranded;
    BeatBucket& previous = *track.Bucket(beat - 1);
    return *stranded == 0 || previous.Reserve(previous.Count() + *stranded);
}

}  // namespace

bool Track::MoveEvent(std::uint32_t beat, std::uint32_t index, Tick newTick) {
    BeatBucket* bucket = Bucket(beat);
    if (bucket == nullptr || index >= bucket->Count()) return false;
    const std::uint32_t dest = newTick / TICKS_PER_BEAT;
    if (dest == beat) {
        (*bucket)[index].offset = newTick % TICKS_PER_BEAT;
    } else if (!Relocate(*this, beat, index, newTick)) {
        return false;
    }
    buckets_[dest].Sort();
    return true;
}

bool Track::MoveNote(std::uint32_t beat, std::uint32_t index, Tick newStart) {
    const BeatBucket* bucket = Bucket(beat);
    if (bucket == nullptr || index >= bucket->Count()) return false;
    if (!IsSoundingNoteOn((*bucket)[index].message)) return false;
    const EventPos end = FindNoteOff(beat, index);
    if (!end.Found()) return false;
    const std::uint32_t endBeat = static_cast<std::uint32_t>(end.beat);
    const std::uint32_t endIndex = static_cast<std::uint32_t>(end.index);

    const Tick onTick = AbsoluteTick(beat, (*bucket)[index]);
    const Tick offTick = AbsoluteTick(endBeat, buckets_[endBeat][endIndex]);
    const std::uint64_t newEnd = std::uint64_t{newStart} + (offTick - onTick);
    if (newEnd > UINT32_MAX) return false;
    const std::uint32_t onDest = newStart / TICKS_PER_BEAT;
    const std::uint32_t offDest = static_cast<std::uint32_t>(newEnd / TICKS_PER_BEAT);

    // Make room for both events before touching either, so a failure changes nothing.
    if (!EnsureBeats(std::max(onDest, offDest) + 1)) return false;
    for (std::uint32_t dest : {onDest, offDest})
        if (!buckets_[dest].Reserve(buckets_[dest].Count() + 2)) return false;

    if (offDest == endBeat) {
        buckets_[endBeat][endIndex].offset = static_cast<std::uint32_t>(newEnd % TICKS_PER_BEAT);
    } else {
        const std::uint32_t message = buckets_[endBeat][endIndex].message;
        buckets_[endBeat].RemoveAt(endIndex);
        AddEvent(static_cast<Tick>(newEnd), message);
    }
    // The end always lies after the note on, so the note on's index still holds.
    if (onDest == beat) {
        buckets_[beat][index].offset = newStart % TICKS_PER_BEAT;
    } else {
        const std::uint32_t message = buckets_[beat][index].message;
        buckets_[beat].RemoveAt(index);
        AddEvent(newStart, message);
    }
    buckets_[offDest].Sort();
    if (onDest != offDest) buckets_[onDest].Sort();
    return true;
}

bool Track::DeleteBeat(std::uint32_t beat) {
    if (beat >= buckets_.size()) return false;
    const BeatNotes notes = CollectNotes(*this, beat);
    std::uint32_t stranded = 0;
    if (!ReserveStrandedEnds(*this, beat, notes, &stranded)) return false;
    BeatBucket& bucket = buckets_[beat];

    for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
        const std::uint32_t message = bucket[i].message;
        if (IsNoteEnd(message)) {
            if (stranded != 0 && !notes.ownedHere[i]) {
                buckets_[beat - 1].Append(Event{kLastOffset, message});
                Added(beat - 1, message);
            }
        } else if (IsSysex(message)) {
            sysex_.Remove(SysexId(message));
        }
    }
    RemoveAll(*this, notes.laterEnds);
    if (stranded != 0) buckets_[beat - 1].Sort();
    buckets_.erase(buckets_.begin() + beat);
    BeatsErased(beat, 1);
    return true;
}

bool Track::ClearBeat(std::uint32_t beat) {
    if (beat >= buckets_.size()) return false;
    const BeatNotes notes = CollectNotes(*this, beat);
    std::uint32_t stranded = 0;
    if (!ReserveStrandedEnds(*this, beat, notes, &stranded)) return false;
    BeatBucket& bucket = buckets_[beat];

    // From the back, so removals leave the flags of earlier events in place.
    for (std::uint32_t i = bucket.Count(); i-- > 0;) {
        const std::uint32_t message = bucket[i].message;
        if (IsNoteEnd(message) && !notes.ownedHere[i]) {
            if (beat == 0) continue;  // nothing earlier to end it at
            buckets_[beat - 1].Append(Event{kLastOffset, message});
            Added(beat - 1, message);
        } else if (IsSysex(message)) {
            sysex_.Remove(SysexId(message));
        }
        bucket.RemoveAt(i);
    }
    RemoveAll(*this, notes.laterEnds);
    if (stranded != 0) buckets_[beat - 1].Sort();
    return true;
}

bool Track::TruncateNotesAt(std::uint32_t beat) {
    if (beat == 0 || beat >= BeatCount()) return true;  // no note can cross the beat
    const Tick cut = beat * TICKS_PER_BEAT - 1;
    bool moved = false;
    for (std::uint32_t b = 0; b < beat; ++b) {
        // Count() is re-read: ends moved into the last beat are appended to it.
        for (std::uint32_t i = 0; i < buckets_[b].Count(); ++i) {
            if (!IsSoundingNoteOn(buckets_[b][i].message)) continue;
            const EventPos end = FindNoteOff(b, i);
            if (!end.Found() || static_cast<std::uint32_t>(end.beat) < beat) continue;
            if (!Relocate(*this, static_cast<std::uint32_t>(end.beat),
                          static_cast<std::uint32_t>(end.index), cut)) {
                if (moved) buckets_[beat - 1].Sort();
                return false;
            }
            moved = true;
        }
    }
    if (moved) buckets_[beat - 1].Sort();
    return true;
}

}  // namespace kvs
