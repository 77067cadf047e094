#include "tools/note_transform.h"

#include <algorithm>

#include "model/track.h"
#include "tools/hold_track.h"
#include "tools/tool_scan.h"

namespace kvs {
namespace {

std::uint32_t WithKey(std::uint32_t message, int key) {
    return (message & ~0xFF00u) | (static_cast<std::uint32_t>(key) << 8);
}

}  // namespace

int BaseOffset(std::uint32_t keyIndex) {
    const int key = static_cast<int>(keyIndex % 12);
    return key > 6 ? key - 12 : key;
}

int TransformKey(int key, const TransformMap& map, int base) {
    const int relative = std::clamp(key - base, 0, 127);
    const int mapped = std::min<int>(map[static_cast<std::size_t>(relative)], 127);
    return std::clamp(mapped + base, 0, 127);
}

bool TransformNotes(Track& track, std::uint32_t firstBeat, std::uint32_t endBeat,
                    const TransformMap& map, std::uint32_t keyIndex) {
    const int base = BaseOffset(keyIndex);
    HoldTrack hold;
    bool complete = true;
    ScanBackward(track, ToolRange{firstBeat, endBeat}, [&](const ScanEvent& at) {
        if (!complete) return ScanNext::EndBeat;  // out of memory: leave the rest alone
        if (!IsSoundingNoteOn(at.message)) return ScanNext::Go;
        const std::optional<Note> note = NoteAt(track, at.beat, at.index);
        if (!note) return ScanNext::EndBeat;
        // Status, channel and velocity stay: a velocity-0 end remains one.
        const int key = TransformKey(Data1(note->onMessage), map, base);
        complete = hold.MoveNote(track, *note, note->onTick, WithKey(note->onMessage, key),
                                 note->offTick, WithKey(note->offMessage, key));
        return complete ? ScanNext::Go : ScanNext::EndBeat;
    });
    return hold.MergeInto(track) && complete;
}

}  // namespace kvs
