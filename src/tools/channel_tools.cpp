// Tools that rewrite notes where they stand: channel, key, velocity, or
// remove them.

#include <algorithm>

#include "tools/hold_track.h"
#include "tools/more_tools.h"

namespace kvs {
namespace {

Event& At(Track& track, const EventPos& pos) {
    return (
        *track.Bucket(static_cast<std::uint32_t>(pos.beat)))[static_cast<std::uint32_t>(pos.index)];
}

std::uint32_t WithChannel(std::uint32_t message, std::uint32_t channel) {
    return (message & ~0x0Fu) | channel;
}

bool IsChannelMessage(std::uint32_t message) {
    return Kind(message) >= 0x80 && Kind(message) <= 0xE0;
}

}  // namespace

void SetChannel(Track& track, const ToolRange& range, std::uint32_t channel) {
    channel &= 0x0F;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        // Ends change with their note on; those of notes begun before the
        // range keep their channel so that those notes stay ended.
        if (!IsChannelMessage(e.message) || IsNoteEnd(e.message)) return ScanNext::Go;
        Event& here = (*track.Bucket(e.beat))[e.index];
        if (IsSoundingNoteOn(e.message)) {
            const std::optional<Note> note = NoteAt(track, e.beat, e.index);
            if (!note) return ScanNext::Go;
            Event& end = At(track, note->off);
            end.message = WithChannel(end.message, channel);
        }
        here.message = WithChannel(here.message, channel);
        return ScanNext::Go;
    });
}

void NoteReplace(Track& track, const ToolRange& range, std::uint32_t find, std::uint32_t replace) {
    if (find == replace) return;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message) || Data1(e.message) != find) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::EndBeat;
        for (Event* event : {&At(track, note->on), &At(track, note->off)})
            event->message = (event->message & ~0xFF00u) | ((replace & 0x7F) << 8);
        return ScanNext::Go;
    });
}

void VelocityCrescendo(Track& track, const ToolRange& range, std::int32_t finalPercent) {
    if (finalPercent == 100 || range.endBeat <= range.firstBeat) return;
    const std::int64_t base = std::int64_t{range.firstBeat} * TICKS_PER_BEAT;
    const std::int64_t span = std::int64_t{range.endBeat - range.firstBeat} * TICKS_PER_BEAT;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::EndBeat;
        const std::int64_t percent = 100 + (e.tick - base) * (finalPercent - 100) / span;
        const auto velocity = static_cast<std::uint32_t>(
            std::clamp<std::int64_t>(percent * Data2(e.message) / 100, 1, 127));
        Event& on = At(track, note->on);
        on.message = (on.message & ~0xFF0000u) | (velocity << 16);
        // A velocity-0 end must stay one, or it would start a note.
        Event& end = At(track, note->off);
        if (Kind(end.message) == 0x80) end.message = (end.message & ~0xFF0000u) | (velocity << 16);
        return ScanNext::Go;
    });
}

void DeleteNotes(Track& track, const ToolRange& range, std::uint32_t lower, std::uint32_t upper) {
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::uint32_t key = Data1(e.message);
        if (key < lower || key > upper) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::Go;
        // The end lies after the note on, so taking it first keeps the note on's index.
        track.DeleteEvent(static_cast<std::uint32_t>(note->off.beat),
                          static_cast<std::uint32_t>(note->off.index));
        track.DeleteEvent(e.beat, e.index);
        return ScanNext::Go;
    });
}

}  // namespace kvs
