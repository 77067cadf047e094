#include <algorithm>

#include "tools/hold_track.h"
#include "tools/more_tools.h"

namespace kvs {

void Reverse(Track& track, const ToolRange& range) {
    if (range.endBeat <= range.firstBeat) return;
    const std::int64_t base = std::int64_t{range.firstBeat} * TICKS_PER_BEAT;
    const std::int64_t span = std::int64_t{range.endBeat - range.firstBeat} * TICKS_PER_BEAT;
    auto mirror = [&](Tick tick, std::int64_t least) {
        return static_cast<std::uint64_t>(base + std::max(span - (tick - base), least));
    };
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (IsNoteEnd(e.message)) return ScanNext::Go;  // moves with its note on
        if (!IsSoundingNoteOn(e.message)) {
            hold.Move(track, e.beat, e.index, mirror(e.tick, 0));
            return ScanNext::Go;
        }
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        // The end becomes the note on and the note on the end, each keeping
        // the other's velocity byte.
        const std::uint32_t onMessage =
            PackMessage(static_cast<std::uint8_t>(0x90 | Channel(note->offMessage)),
                        Data1(note->offMessage), Data2(note->onMessage));
        const std::uint32_t offMessage =
            PackMessage(static_cast<std::uint8_t>(0x80 | Channel(note->onMessage)),
                        Data1(note->onMessage), Data2(note->offMessage));
        const std::uint64_t offTick = mirror(note->onTick, 0);
        // A note crossing the range's end would otherwise start and end on
        // one tick, where its end sorts first and no longer ends it.
        const std::uint64_t onTick = std::min(mirror(note->offTick, 1), offTick - 1);
        hold.MoveNote(track, *note, onTick, onMessage, offTick, offMessage);
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

}  // namespace kvs
