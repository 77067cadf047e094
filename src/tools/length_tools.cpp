// Tools that change where notes end.

#include <algorithm>

#include "tools/hold_track.h"
#include "tools/note_tools.h"

namespace kvs {
namespace {

constexpr std::int64_t kMinLength = 2;
constexpr std::int64_t kMaxLength = 19200000;

bool At(const EventPos& pos, std::uint32_t beat, std::uint32_t index) {
    return pos.beat == static_cast<std::int32_t>(beat) &&
           pos.index == static_cast<std::int32_t>(index);
}

// The tick of the first sounding note on at or after tick, other than the
// note's own. A velocity-0 note on ends a note and starts none, so it is not
// one; and the search takes in note ons at the end's own tick whichever way
// they sort against it.
std::optional<Tick> NextNoteOn(const Track& track, Tick tick, const EventPos& own) {
    const std::uint32_t first = tick / TICKS_PER_BEAT;
    const std::uint32_t offset = tick % TICKS_PER_BEAT;
    for (std::uint32_t beat = first; beat < track.BeatCount(); ++beat) {
        const BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            const Event& e = bucket[i];
            if (beat == first && e.offset < offset) continue;
            if (IsSoundingNoteOn(e.message) && !At(own, beat, i))
                return beat * TICKS_PER_BEAT + e.offset;
        }
    }
    return std::nullopt;
}

}  // namespace

bool NoteFits(const Track& track, std::uint32_t message, Tick start, std::uint32_t length,
              EventPos own, EventPos ownEnd) {
    if (length == 0) return true;
    const std::uint64_t end = std::uint64_t{start} + length;  // exclusive
    const std::uint32_t want = message & 0xFFEF;
    const std::uint64_t lastBeat =
        std::min<std::uint64_t>((end - 1) / TICKS_PER_BEAT + 1, track.BeatCount());
    for (std::uint32_t beat = start / TICKS_PER_BEAT; beat < lastBeat; ++beat) {
        const BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            const std::uint64_t tick = std::uint64_t{beat} * TICKS_PER_BEAT + bucket[i].offset;
            if (tick < start || tick >= end) continue;
            if ((bucket[i].message & 0xFFEF) != want) continue;
            if (At(own, beat, i) || At(ownEnd, beat, i)) continue;
            return false;
        }
    }
    return true;
}

void SetLength(Track& track, const ToolRange& range, std::int32_t percent, std::int32_t offset) {
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        const std::int64_t length = std::int64_t{note->offTick} - note->onTick + 1;
        const std::int64_t newLength =
            std::clamp<std::int64_t>(offset + length * percent / 100, kMinLength, kMaxLength);
        const auto span = static_cast<std::uint32_t>(newLength - 1);
        if (NoteFits(track, note->onMessage, note->onTick, span, note->on, note->off))
            hold.MoveNoteEnd(track, *note, std::uint64_t{note->onTick} + span);
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

void Legato(Track& track, const ToolRange& range, std::int32_t gap) {
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        const std::optional<Tick> next = NextNoteOn(track, note->offTick, note->on);
        if (!next) return ScanNext::Go;  // the last note keeps its length
        std::int64_t off = std::int64_t{*next} - gap - 1;
        if (off < 1) off = 1;
        if (off <= note->onTick) off = std::int64_t{note->onTick} + 1;
        hold.MoveNoteEnd(track, *note, static_cast<std::uint64_t>(off));
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

}  // namespace kvs
