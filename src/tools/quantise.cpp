#include <cstdlib>

#include "tools/hold_track.h"
#include "tools/note_tools.h"

namespace kvs {

Tick QuantiseTick(std::int32_t division, std::int32_t strictness, std::int32_t swing, Tick t) {
    constexpr std::int64_t kBeat = TICKS_PER_BEAT;
    if (division < 1) division = 1;
    const std::int64_t pos = t % kBeat;
    const std::int64_t step = kBeat / division;
    if (step == 0) return t;

    // The nearest grid point; the earlier one on a tie.
    std::int64_t grid = 0;
    for (std::int64_t g = step; g <= kBeat; g += step)
        if (std::llabs(pos - g) < std::llabs(pos - grid)) grid = g;

    std::int64_t target = grid;
    std::int64_t spos = pos;
    if (swing != 0) {
        // Halve the beat while the division still splits evenly: the swing
        // pair is the smallest such half around the grid point.
        std::int64_t lo = 0;
        std::int64_t hi = kBeat;
        for (std::int32_t k = division; k % 2 == 0 && k > 2; k /= 2) {
            const std::int64_t mid = (lo + hi) / 2;
            if (mid <= grid)
                lo = mid;
            else
                hi = mid;
        }
        if (grid != lo && grid != hi) {
            target =
                swing > 0 ? grid + (hi - grid) * swing / 100 : grid + (grid - lo) * swing / 100;
            if (pos > grid)
                spos = target + (hi - target) * (pos - grid) / (hi - grid);
            else if (pos < grid)
                spos = target - (target - lo) * (grid - pos) / (grid - lo);
            else
                spos = target;
        }
    }
    const std::int64_t result =
        t / kBeat * kBeat + target + (spos - target) * (100 - strictness) / 100;
    return static_cast<Tick>(result < 0 ? 0 : result);
}

void Quantise(Track& track, const ToolRange& range, std::int32_t division, std::int32_t strictness,
              std::int32_t swing) {
    if (strictness == 0) return;
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        const std::uint64_t on = QuantiseTick(division, strictness, swing, note->onTick);
        hold.MoveNote(track, *note, on, on + (note->offTick - note->onTick));
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

void QuantiseLength(Track& track, const ToolRange& range, std::int32_t division,
                    std::int32_t strictness) {
    if (strictness == 0 || division < 1) return;
    const Tick step = TICKS_PER_BEAT / static_cast<std::uint32_t>(division);
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        const Tick length = note->offTick - note->onTick + 1;
        Tick q = QuantiseTick(division, strictness, 0, length);
        if (q < step) q = step;
        // One step is at least two ticks, so the end stays after the note on.
        hold.MoveNote(track, *note, note->onTick, std::uint64_t{note->onTick} + q - 1);
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

}  // namespace kvs
