#include "files/merged_event_cursor.h"

#include "model/song.h"

namespace kvs {
namespace {

template <typename P>
bool Before(const P& a, const P& b) {
    return a.time != b.time ? a.time < b.time : a.trackIndex < b.trackIndex;
}

}  // namespace

MergedEventCursor::MergedEventCursor(const Song& song) {
    const std::uint32_t count = song.TrackCount();
    positions_.reserve(count);
    heap_.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        positions_.push_back(Position{song.GetTrack(i), nullptr, 0, 0, 0});
        Position& pos = positions_.back();
        if (pos.track->BeatCount() != 0) {
            pos.events = pos.track->Bucket(0)->Data();
            pos.count = pos.track->Bucket(0)->Count();
        }
        if (Settle(pos)) heap_.push_back(PendingOf(i));
    }
    for (std::size_t i = heap_.size() / 2; i-- > 0;)
        SiftDown(i);
}

bool MergedEventCursor::Settle(Position& pos) {
    while (pos.index >= pos.count) {
        if (pos.beat + 1 >= pos.track->BeatCount()) return false;
        const BeatBucket& bucket = *pos.track->Bucket(++pos.beat);
        pos.events = bucket.Data();
        pos.count = bucket.Count();
        pos.index = 0;
    }
    return true;
}

MergedEventCursor::Pending MergedEventCursor::PendingOf(std::uint32_t trackIndex) const {
    const Position& pos = positions_[trackIndex];
    const Event& e = pos.events[pos.index];
    return Pending{std::uint64_t{pos.beat} * TICKS_PER_BEAT + e.offset, trackIndex, e.message};
}

void MergedEventCursor::SiftDown(std::size_t at) {
    const std::size_t n = heap_.size();
    const Pending item = heap_[at];
    for (;;) {
        std::size_t child = 2 * at + 1;
        if (child >= n) break;
        if (child + 1 < n && Before(heap_[child + 1], heap_[child])) ++child;
        if (!Before(heap_[child], item)) break;
        heap_[at] = heap_[child];
        at = child;
    }
    heap_[at] = item;
}

bool MergedEventCursor::Next(MergedEvent& out) {
    if (heap_.empty()) return false;
    const Pending top = heap_.front();
    Position& pos = positions_[top.trackIndex];
    out = MergedEvent{top.trackIndex, pos.track, top.time, top.message};

    // The track's next event replaces it at the top; often it stays there.
    ++pos.index;
    if (Settle(pos)) {
        heap_.front() = PendingOf(top.trackIndex);
    } else {
        heap_.front() = heap_.back();
        heap_.pop_back();
        if (heap_.empty()) return true;
    }
    SiftDown(0);
    return true;
}

}  // namespace kvs
