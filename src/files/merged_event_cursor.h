#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/event.h"

namespace kvs {

class Song;
class Track;

struct MergedEvent {
    std::uint32_t trackIndex;
    const Track* track;
    std::uint64_t time;  // absolute tick
    std::uint32_t message;
};

// Walks the events of all tracks of a song in time order: the smallest
// absolute time first, the lowest track index on equal times, each track's
// own events in bucket order. Keeps only a position per track; the song must
// not change while the cursor is in use.
class MergedEventCursor {
  public:
    explicit MergedEventCursor(const Song& song);

    // The next event; false once every track is exhausted.
    bool Next(MergedEvent& out);

  private:
    struct Position {
        const Track* track;
        const Event* events;  // of the current beat
        std::uint32_t count;
        std::uint32_t index;
        std::uint32_t beat;
    };
    struct Pending {
        std::uint64_t time;
        std::uint32_t trackIndex;
        std::uint32_t message;
    };

    // Moves the position onto an event, past empty beats; false at the end.
    static bool Settle(Position& pos);
    Pending PendingOf(std::uint32_t trackIndex) const;
    void SiftDown(std::size_t at);

    std::vector<Position> positions_;
    // A binary heap, earliest first: the next event of every track that has one.
    std::vector<Pending> heap_;
};

}  // namespace kvs
