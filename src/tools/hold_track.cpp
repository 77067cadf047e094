#include "tools/hold_track.h"

#include "model/track_copy.h"

namespace kvs {

std::optional<Note> NoteAt(const Track& track, std::uint32_t beat, std::uint32_t index) {
    const BeatBucket* bucket = track.Bucket(beat);
    if (bucket == nullptr || index >= bucket->Count()) return std::nullopt;
    const Event& on = (*bucket)[index];
    if (!IsSoundingNoteOn(on.message)) return std::nullopt;
    const EventPos off = track.FindNoteOff(beat, index);
    if (!off.Found()) return std::nullopt;
    const auto offBeat = static_cast<std::uint32_t>(off.beat);
    const Event& end = (*track.Bucket(offBeat))[static_cast<std::uint32_t>(off.index)];
    return Note{{static_cast<std::int32_t>(beat), static_cast<std::int32_t>(index)},
                off,
                beat * TICKS_PER_BEAT + on.offset,
                offBeat * TICKS_PER_BEAT + end.offset,
                on.message,
                end.message};
}

bool HoldTrack::MakeRoom(std::uint64_t tick, std::uint32_t events) {
    if (tick > kLastToolTick) return false;
    const auto beat = static_cast<std::uint32_t>(tick / TICKS_PER_BEAT);
    if (!hold_.EnsureBeats(beat + 1)) return false;
    BeatBucket& bucket = *hold_.Bucket(beat);
    return bucket.Reserve(bucket.Count() + events);
}

bool HoldTrack::Move(Track& track, std::uint32_t beat, std::uint32_t index, std::uint64_t tick) {
    const BeatBucket* bucket = track.Bucket(beat);
    if (bucket == nullptr || index >= bucket->Count()) return false;
    return Move(track, beat, index, tick, (*bucket)[index].message);
}

bool HoldTrack::Move(Track& track, std::uint32_t beat, std::uint32_t index, std::uint64_t tick,
                     std::uint32_t message) {
    const BeatBucket* bucket = track.Bucket(beat);
    if (bucket == nullptr || index >= bucket->Count() || !MakeRoom(tick, 1)) return false;
    if (IsSysex(message)) {
        const SysexBlock* block = track.Sysex().Find(SysexId(message));
        // An event naming no block has nothing to carry; it moves as it is.
        if (block != nullptr) {
            const std::uint32_t id = hold_.Sysex().Add(block->bytes);
            if (id == 0) return false;
            message = SysexMessage(id);
        }
    }
    hold_.AddEvent(static_cast<Tick>(tick), message);  // room was made
    track.DeleteEvent(beat, index);
    return true;
}

bool HoldTrack::MoveNote(Track& track, const Note& note, std::uint64_t onTick,
                         std::uint32_t onMessage, std::uint64_t offTick, std::uint32_t offMessage) {
    // Room for both first, so that a note never loses its end on the way.
    if (!MakeRoom(onTick, 2) || !MakeRoom(offTick, 2)) return false;
    const auto onBeat = static_cast<std::uint32_t>(note.on.beat);
    const auto onIndex = static_cast<std::uint32_t>(note.on.index);
    const auto offBeat = static_cast<std::uint32_t>(note.off.beat);
    const auto offIndex = static_cast<std::uint32_t>(note.off.index);
    // The end lies after the note on, so taking it first keeps the note on's index.
    return Move(track, offBeat, offIndex, offTick, offMessage) &&
           Move(track, onBeat, onIndex, onTick, onMessage);
}

bool HoldTrack::MergeInto(Track& track) {
    return MergeTrack(track, hold_, 0);
}

}  // namespace kvs
