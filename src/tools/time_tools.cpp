// Tools that move events in time without looking at a grid.

#include <algorithm>

#include "tools/hold_track.h"
#include "tools/note_tools.h"
#include "tools/tool_random.h"

namespace kvs {

void TimeGlide(Track& track, const ToolRange& range, std::int32_t ticks) {
    if (ticks == 0) return;
    auto glide = [ticks](Tick t, std::int64_t floor) {
        return static_cast<std::uint64_t>(std::max<std::int64_t>(std::int64_t{t} + ticks, floor));
    };
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (Kind(e.message) == 0x80) return ScanNext::Go;  // moves with its note on
        if (Kind(e.message) != 0x90) {
            hold.Move(track, e.beat, e.index, glide(e.tick, 0));
            return ScanNext::Go;
        }
        if (const std::optional<Note> note = NoteAt(track, e.beat, e.index))
            hold.MoveNote(track, *note, glide(note->onTick, 0), glide(note->offTick, 1));
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

void TimeExpand(Track& track, const ToolRange& range, std::int32_t percent) {
    if (percent == 100 || percent < 0) return;
    const std::uint64_t base = std::uint64_t{range.firstBeat} * TICKS_PER_BEAT;
    // 64-bit: long tracks times large percentages overflow 32 bits.
    auto scale = [&](Tick t) {
        return base + (t - base) * static_cast<std::uint64_t>(percent) / 100;
    };
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (Kind(e.message) == 0x80) return ScanNext::Go;
        if (Kind(e.message) != 0x90) {
            hold.Move(track, e.beat, e.index, scale(e.tick));
            return ScanNext::Go;
        }
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        const std::uint64_t on = scale(note->onTick);
        // Shrinking can bring the end onto its note on, where it would sort
        // first and end nothing.
        const std::uint64_t off = std::max(scale(note->offTick), on + 1);
        hold.MoveNote(track, *note, on, off);
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

void Humanise(Track& track, const ToolRange& range, std::int32_t maximum) {
    if (maximum <= 0) return;
    const std::uint32_t spread = 2 * static_cast<std::uint32_t>(maximum) + 1;
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        const std::int64_t shifted = std::int64_t{note->onTick} + ToolRandom() % spread - maximum;
        const auto on = static_cast<std::uint64_t>(std::max<std::int64_t>(shifted, 0));
        hold.MoveNote(track, *note, on, on + (note->offTick - note->onTick));
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

}  // namespace kvs
