#include "model/track.h"

#include <algorithm>
#include <new>
#include <utility>

namespace kvs {

std::unique_ptr<Track> Track::Clone() const {
    auto copy = std::make_unique<Track>();
    copy->properties = properties;
    try {
        copy->buckets_.reserve(buckets_.size());
        for (const BeatBucket& bucket : buckets_) {
            copy->buckets_.emplace_back(bucket);
            // A bucket copy that ran out of memory comes back short.
            if (copy->buckets_.back().Count() != bucket.Count()) return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!copy->sysex_.CopyFrom(sysex_)) return nullptr;
    return copy;
}

std::uint64_t Track::EventCount() const {
    std::uint64_t n = 0;
    for (const BeatBucket& bucket : buckets_)
        n += bucket.Count();
    return n;
}

bool Track::EnsureBeats(std::uint32_t n) {
    if (n <= buckets_.size()) return true;
    if (n > kMaxTrackBeats) return false;
    try {
        buckets_.resize(n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool Track::AddSysexEvent(Tick tick, std::vector<std::uint8_t> bytes) {
    const std::uint32_t id = sysex_.Add(std::move(bytes));
    if (id == 0) return false;
    if (AddEvent(tick, SysexMessage(id))) return true;
    sysex_.Remove(id);
    return false;
}

namespace {

// Whether the events' absolute ticks never go back and no beat holds more
// events than a bucket can.
bool FitsBuckets(const EventBlock& block) {
    const std::size_t n = block.Count();
    bool ordered = true;
    for (std::size_t i = 1; i < n; ++i)
        ordered &= block[i - 1].offset <= block[i].offset;
    if (!ordered || n <= BeatBucket::kMaxEvents) return ordered;
    std::size_t runStart = 0;
    for (std::size_t i = 1; i < n; ++i) {
        if (block[i].offset / TICKS_PER_BEAT != block[runStart].offset / TICKS_PER_BEAT)
            runStart = i;
        else if (i - runStart >= BeatBucket::kMaxEvents)
            return false;
    }
    return true;
}

}  // namespace

bool Track::AdoptEvents(EventBlock block) {
    const std::size_t n = block.Count();
    if (n == 0) return true;
    const std::uint32_t lastBeat = block[n - 1].offset / TICKS_PER_BEAT;
    if (!buckets_.empty() || lastBeat >= kMaxTrackBeats || !FitsBuckets(block))
        return AddEach(block);
    try {
        buckets_.resize(lastBeat + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ends_.built = false;  // the buckets are filled behind its back

    block.ShrinkToFit();  // before taking addresses: it may move the block
    Event* events = block.Data();
    for (std::size_t i = 0; i < n;) {
        const std::uint32_t beat = events[i].offset / TICKS_PER_BEAT;
        const Tick beatStart = beat * TICKS_PER_BEAT;
        const Tick beatEnd = beatStart + TICKS_PER_BEAT;
        std::size_t end = i;
        for (; end < n && events[end].offset < beatEnd; ++end)
            events[end].offset -= beatStart;
        buckets_[beat].Lend(events + i, static_cast<std::uint32_t>(end - i));
        i = end;
    }
    slab_ = std::move(block);
    return true;
}

bool Track::AddEach(const EventBlock& block) {
    for (const Event& e : block)
        if (!AddEvent(e.offset, e.message)) return false;
    return true;
}

bool Track::DeleteEvent(std::uint32_t beat, std::uint32_t index) {
    if (beat >= buckets_.size() || index >= buckets_[beat].Count()) return false;
    BeatBucket& bucket = buckets_[beat];  // removing adds no note end: not touched
    const std::uint32_t message = bucket[index].message;
    if (IsSysex(message)) sysex_.Remove(SysexId(message));
    return bucket.RemoveAt(index);
}

bool Track::InsertBeat(std::int32_t beat) {
    const std::size_t at = beat == -1 ? buckets_.size() : static_cast<std::size_t>(beat);
    if (beat < -1 || at > buckets_.size() || buckets_.size() >= kMaxTrackBeats) return false;
    try {
        buckets_.insert(buckets_.begin() + static_cast<std::ptrdiff_t>(at), Slot{});
    } catch (const std::bad_alloc&) {
        return false;
    }
    BeatsInserted(static_cast<std::uint32_t>(at), 1);
    return true;
}

void Track::BeatsInserted(std::uint32_t beat, std::uint32_t n) {
    if (!ends_.built) return;
    ends_.dirty.Insert(beat, n);
    for (int kind = 0; kind < 2; ++kind) {
        ends_.beats[kind].Insert(beat, n);
        for (std::int32_t& last : ends_.last[kind])
            if (last >= static_cast<std::int32_t>(beat)) last += static_cast<std::int32_t>(n);
    }
}

void Track::BeatsErased(std::uint32_t beat, std::uint32_t n) {
    if (!ends_.built) return;
    ends_.dirty.Erase(beat, n);
    const auto first = static_cast<std::int64_t>(beat);
    for (int kind = 0; kind < 2; ++kind) {
        ends_.beats[kind].Erase(beat, n);
        for (std::int32_t& last : ends_.last[kind]) {
            if (last >= first + n)
                last -= static_cast<std::int32_t>(n);
            else if (last >= first)
                last = static_cast<std::int32_t>(first - 1);  // what is left lies before
        }
    }
}

void Track::BuildEndMarks() const {
    ends_.dirty.Clear();
    for (int kind = 0; kind < 2; ++kind) {
        ends_.beats[kind].Clear();
        ends_.last[kind].assign(EndMarks::kKeys, -1);
    }
    ends_.built = true;
    for (std::uint32_t b = 0; b < buckets_.size(); ++b)
        for (const Event& e : buckets_[b])
            Added(b, e.message);
}

// A beat handed out may hold anything: its marks are made again from what it holds.
void Track::Relook(std::uint32_t beat) const {
    ends_.dirty.Unmark(beat);
    ends_.beats[0].Unmark(beat);
    ends_.beats[1].Unmark(beat);
    for (const Event& e : buckets_[beat])
        Added(beat, e.message);
}

EventPos Track::FindNoteOff(std::uint32_t beat, std::uint32_t index) const {
    const BeatBucket* first = Bucket(beat);
    if (first == nullptr || index >= first->Count()) return {};
    const std::uint32_t channel = Channel((*first)[index].message);
    const std::uint32_t key = Data1((*first)[index].message);
    const std::uint32_t noteOff =
        PackMessage(static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key));
    const std::uint32_t zeroOn = noteOff | 0x10;
    if (!ends_.built) BuildEndMarks();

    // A true note off wins over an earlier velocity-0 note on.
    for (int kind = 0; kind < 2; ++kind) {
        const std::uint32_t mask = kind == 0 ? 0xFFFFu : 0xFFFFFFu;
        const std::uint32_t want = kind == 0 ? noteOff : zeroOn;
        BeatMarks& marks = ends_.beats[kind];
        const std::int32_t last = ends_.last[kind][NoteKey(noteOff)];
        for (std::uint32_t from = beat;;) {
            // The next beat that may end the note: a marked one up to the
            // key's last, or one handed out since it was looked at.
            std::uint32_t b = marks.Next(from);
            if (static_cast<std::int64_t>(b) > last) b = BeatMarks::kNone;
            b = std::min(b, ends_.dirty.Next(from));
            if (b >= buckets_.size()) break;
            const BeatBucket& bucket = buckets_[b];
            const std::uint32_t start = b == beat ? index + 1 : 0;
            bool holdsKind = false;
            for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
                const std::uint32_t message = bucket[i].message;
                if (EndKind(message) != kind) continue;
                holdsKind = true;
                if (i >= start && (message & mask) == want) {
                    if (ends_.dirty.Marked(b)) Relook(b);
                    return {static_cast<std::int32_t>(b), static_cast<std::int32_t>(i)};
                }
            }
            if (ends_.dirty.Marked(b))
                Relook(b);
            else if (!holdsKind)
                marks.Unmark(b);
            from = b + 1;
        }
    }
    return {};
}

std::int64_t Track::NoteLength(std::uint32_t beat, std::uint32_t index) const {
    const EventPos off = FindNoteOff(beat, index);
    if (!off.Found()) return -1;
    const std::int64_t onTick = std::int64_t{beat} * TICKS_PER_BEAT + buckets_[beat][index].offset;
    const std::int64_t offTick =
        std::int64_t{off.beat} * TICKS_PER_BEAT +
        buckets_[static_cast<std::uint32_t>(off.beat)][static_cast<std::uint32_t>(off.index)]
            .offset;
    return offTick - onTick + 1;
}

bool Track::FindEvent(EventSearch& search) const {
    search.found = {};
    const std::int64_t beatCount = static_cast<std::int64_t>(buckets_.size());
    const bool tickMode = search.startTick >= 0;
    const std::int64_t startBeat = tickMode ? search.startTick / TICKS_PER_BEAT : search.startBeat;
    const std::uint32_t tickInBeat =
        tickMode ? static_cast<std::uint32_t>(search.startTick % TICKS_PER_BEAT) : 0;
    // A note on of velocity 64 stands for "any note on", so velocity-0 ones are no match.
    const bool soundingOnly = (search.value & 0xFF00F0) == 0x400090;

    auto matches = [&](std::uint32_t message) {
        if ((message & search.mask) != (search.value & search.mask)) return false;
        return !soundingOnly || Data2(message) != 0;
    };
    auto found = [&](std::int64_t b, std::int64_t i) {
        const Event& e = buckets_[static_cast<std::size_t>(b)][static_cast<std::uint32_t>(i)];
        search.found = {static_cast<std::int32_t>(b), static_cast<std::int32_t>(i)};
        search.value = e.message;
        search.startTick = b * TICKS_PER_BEAT + e.offset;
        return true;
    };

    if (!search.backward) {
        if (startBeat < 0 || startBeat >= beatCount) return false;
        const BeatBucket& start = buckets_[static_cast<std::size_t>(startBeat)];
        std::int64_t startIndex = search.startIndex;
        if (tickMode) {
            startIndex = 0;
            while (startIndex < start.Count() && start[startIndex].offset < tickInBeat)
                ++startIndex;
        }
        // The event at the start index itself is never examined.
        std::int64_t i = startIndex + 1 < 0 ? 0 : startIndex + 1;
        for (std::int64_t b = startBeat; b < beatCount; ++b, i = 0) {
            const BeatBucket& bucket = buckets_[static_cast<std::size_t>(b)];
            for (; i < bucket.Count(); ++i)
                if (matches(bucket[static_cast<std::uint32_t>(i)].message)) return found(b, i);
        }
        return false;
    }

    if (startBeat < 0 || beatCount == 0) return false;
    std::int64_t b = startBeat;
    std::int64_t i = 0;  // examination starts below this index
    if (b >= beatCount) {
        // Starting beyond the track's end: everything it holds lies before.
        b = beatCount - 1;
        i = buckets_[static_cast<std::size_t>(b)].Count();
    } else {
        const BeatBucket& start = buckets_[static_cast<std::size_t>(b)];
        if (tickMode) {
            for (std::uint32_t k = 0; k < start.Count(); ++k)
                if (start[k].offset <= tickInBeat) i = k + 1;
        } else {
            i = search.startIndex;
            if (i > start.Count()) i = start.Count();
        }
    }
    for (;;) {
        const BeatBucket& bucket = buckets_[static_cast<std::size_t>(b)];
        for (std::int64_t k = i - 1; k >= 0; --k)
            if (matches(bucket[static_cast<std::uint32_t>(k)].message)) return found(b, k);
        if (b == 0) return false;
        --b;
        i = buckets_[static_cast<std::size_t>(b)].Count();
    }
}

}  // namespace kvs
