#pragma once

#include <cstdint>

#include "model/track.h"
#include "tools/tool_scan.h"

namespace kvs {

// The last tick a track can hold.
inline constexpr std::uint64_t kLastToolTick = std::uint64_t{kMaxTrackBeats} * TICKS_PER_BEAT - 1;

// Where a tool puts the events it moves during one pass over a track, so the
// scan never meets them again and notes still to come keep their pairing.
// Merged back into the track at the end of the pass.
class HoldTrack {
  public:
    // Moves the event at (beat, index) to tick with the given message. A
    // SysEx event takes a copy of its block along. False, with nothing
    // changed, when the tick lies beyond any track or memory runs out.
    bool Move(Track& track, std::uint32_t beat, std::uint32_t index, std::uint64_t tick,
              std::uint32_t message);
    bool Move(Track& track, std::uint32_t beat, std::uint32_t index, std::uint64_t tick);
    // Moves a note's end, then its note on. Both or neither move.
    bool MoveNote(Track& track, const Note& note, std::uint64_t onTick, std::uint32_t onMessage,
                  std::uint64_t offTick, std::uint32_t offMessage);
    bool MoveNote(Track& track, const Note& note, std::uint64_t onTick, std::uint64_t offTick) {
        return MoveNote(track, note, onTick, note.onMessage, offTick, note.offMessage);
    }
    // Moves only the end of a note; its note on stays in the track.
    bool MoveNoteEnd(Track& track, const Note& note, std::uint64_t offTick) {
        return Move(track, static_cast<std::uint32_t>(note.off.beat),
                    static_cast<std::uint32_t>(note.off.index), offTick, note.offMessage);
    }

    // Puts every held event back into the track, sorting the buckets it
    // touches. False when memory ran out on the way.
    bool MergeInto(Track& track);
    bool Empty() const { return hold_.BeatCount() == 0; }

  private:
    bool MakeRoom(std::uint64_t tick, std::uint32_t events);

    Track hold_;
};

}  // namespace kvs
