// Tools that change what notes play, not when.

#include <algorithm>

#include "tools/hold_track.h"
#include "tools/note_tools.h"

namespace kvs {
namespace {

std::uint32_t WithKey(std::uint32_t message, std::uint32_t key) {
    return (message & ~0xFF00u) | (key << 8);
}

std::uint32_t WithVelocity(std::uint32_t message, std::uint32_t velocity) {
    return (message & ~0xFF0000u) | (velocity << 16);
}

}  // namespace

void Transpose(Track& track, const ToolRange& range, std::int32_t amount) {
    if (amount == 0) return;
    HoldTrack hold;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::EndBeat;
        const auto key =
            static_cast<std::uint32_t>(std::clamp<std::int32_t>(Data1(e.message) + amount, 0, 127));
        hold.MoveNote(track, *note, note->onTick, WithKey(note->onMessage, key), note->offTick,
                      WithKey(note->offMessage, key));
        return ScanNext::Go;
    });
    hold.MergeInto(track);
}

void ChangeVelocity(Track& track, const ToolRange& range, std::int32_t percent,
                    std::int32_t offset) {
    if (percent == 100 && offset == 0) return;
    ScanBackward(track, range, [&](const ScanEvent& e) {
        if (!IsSoundingNoteOn(e.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, e.beat, e.index);
        if (!note) return ScanNext::EndBeat;
        const std::int64_t scaled = offset + std::int64_t{Data2(e.message)} * percent / 100;
        const auto velocity = static_cast<std::uint32_t>(std::clamp<std::int64_t>(scaled, 1, 127));
        Event& on = (*track.Bucket(e.beat))[e.index];
        on.message = WithVelocity(on.message, velocity);
        if (Kind(note->offMessage) == 0x80) {
            Event& off = (*track.Bucket(static_cast<std::uint32_t>(
                note->off.beat)))[static_cast<std::uint32_t>(note->off.index)];
            off.message = WithVelocity(off.message, velocity);
        }
        return ScanNext::Go;
    });
}

}  // namespace kvs
