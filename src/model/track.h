#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/beat_bucket.h"
#include "model/beat_marks.h"
#include "model/event.h"
#include "model/event_block.h"
#include "model/fixed_text.h"
#include "model/note_tracker.h"
#include "model/sysex_table.h"

namespace kvs {

inline constexpr std::uint16_t kNoChannel = 0xFFFF;
// No track grows beyond this many beats, so that a stray tick near 2^32 cannot
// make a track allocate hundreds of megabytes of empty buckets.
inline constexpr std::uint32_t kMaxTrackBeats = 1u << 22;

// The track's properties record, copied as a whole (new tracks, undo,
// property dialogs). -1 means "not set" for the initial properties.
struct TrackProperties {
    std::uint16_t channel = kNoChannel;  // 0-15 or kNoChannel
    std::uint16_t port = 0;
    std::int16_t program = -1;
    std::int16_t bank = -1;  // controller 0 * 128 + controller 32
    std::int16_t volume = -1;
    std::int16_t pan = -1;
    std::int16_t reverb = -1;
    std::int16_t chorus = -1;
    std::uint32_t muted = 0;
    FixedText<64> name;

    friend bool operator==(const TrackProperties&, const TrackProperties&) = default;
};

// A position in a track: bucket (beat) and index inside it; -1/-1 for none.
struct EventPos {
    std::int32_t beat = -1;
    std::int32_t index = -1;
    bool Found() const { return beat >= 0; }
    friend bool operator==(const EventPos&, const EventPos&) = default;
};

// The general event search. An event matches when (message & mask) equals
// (value & mask). On success value and startTick take the found event's
// message and absolute tick.
struct EventSearch {
    std::uint32_t value = 0;
    std::uint32_t mask = 0;
    std::int64_t startTick = -1;  // -1: start at (startBeat, startIndex)
    std::int32_t startBeat = 0;
    std::int32_t startIndex = 0;
    bool backward = false;
    EventPos found;
};

class Track {
  public:
    Track() = default;
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;

    // A deep copy: same events, same SysEx ids, copies of every block.
    std::unique_ptr<Track> Clone() const;

    TrackProperties properties;

    std::uint32_t BeatCount() const { return static_cast<std::uint32_t>(buckets_.size()); }
    // The caller may change the bucket, so its beat counts as touched.
    BeatBucket* Bucket(std::uint32_t beat) {
        if (beat >= buckets_.size()) return nullptr;
        Touched(beat);
        return &buckets_[beat];
    }
    const BeatBucket* Bucket(std::uint32_t beat) const {
        return beat < buckets_.size() ? &buckets_[beat] : nullptr;
    }
    std::uint64_t EventCount() const;
    // Appends empty buckets until the track has at least n beats.
    bool EnsureBeats(std::uint32_t n);

    // Appends (tick % 192, message) at the end of bucket tick / 192, growing
    // the bucket list as needed. Does not sort.
    bool AddEvent(Tick tick, std::uint32_t message) {
        const std::uint32_t beat = tick / TICKS_PER_BEAT;
        if (beat >= buckets_.size() && !EnsureBeats(beat + 1)) return false;
        if (!buckets_[beat].Append(Event{tick % TICKS_PER_BEAT, message})) return false;
        Added(beat, message);
        return true;
    }
    // Takes a whole track's events at once; their offsets hold absolute
    // ticks. A track without beats keeps the block itself when the ticks never
    // go back, with each bucket pointing at its beat's run; otherwise the
    // events are added one by one. False when not all could be stored (those
    // before the failure stay).
    bool AdoptEvents(EventBlock block);
    // Stores the bytes as a new SysEx block and adds its event at tick.
    bool AddSysexEvent(Tick tick, std::vector<std::uint8_t> bytes);

    bool DeleteEvent(std::uint32_t beat, std::uint32_t index);
    bool MoveEvent(std::uint32_t beat, std::uint32_t index, Tick newTick);
    bool MoveNote(std::uint32_t beat, std::uint32_t index, Tick newStart);
    bool InsertBeat(std::int32_t beat);  // -1 appends
    bool DeleteBeat(std::uint32_t beat);
    // n empty beats at beat (at most the beat count); false and unchanged when
    // the track would grow too long or memory runs out.
    bool InsertBeats(std::uint32_t beat, std::uint32_t n);
    // Does what n calls of DeleteBeat(beat) do, moving the later beats once.
    // Beats past the end are ignored; false when beat is past the end.
    bool DeleteBeats(std::uint32_t beat, std::uint32_t n);
    bool ClearBeat(std::uint32_t beat);
    bool TruncateNotesAt(std::uint32_t beat);

    // The note's end by the pairing rule: the first true note off of its key
    // after it, else the first velocity-0 note on of its key after it.
    EventPos FindNoteOff(std::uint32_t beat, std::uint32_t index) const;
    // Inclusive length in ticks of the note on at (beat, index); -1 when unpaired.
    std::int64_t NoteLength(std::uint32_t beat, std::uint32_t index) const;
    bool FindEvent(EventSearch& search) const;

    SysexTable& Sysex() { return sysex_; }
    const SysexTable& Sysex() const { return sysex_; }
    NoteTracker& Notes() { return notes_; }
    const NoteTracker& Notes() const { return notes_; }

  private:
    // The only place a bucket can be moved to, so that a bucket borrowing
    // from slab_ never leaves the track.
    struct Slot : BeatBucket {
        Slot() = default;
        explicit Slot(const BeatBucket& bucket) : BeatBucket(bucket) {}
        Slot(Slot&&) noexcept = default;
        Slot& operator=(Slot&&) noexcept = default;
        void Lend(Event* data, std::uint32_t count) { Borrow(data, count); }
    };

    bool AddEach(const EventBlock& block);

    // Where note ends may lie, so that a pairing search looks only at beats
    // that can end its note: where a note's key ends one way, looking for
    // the other way no longer walks the rest of the track for every note.
    // For each kind of end (0: true note off, 1: velocity-0 note on): the
    // beats that may hold one, and per note key (channel + 16 * key) the last
    // beat that may hold one. Beats handed out by Bucket() may hold anything
    // until a search looks at them again. Built by the first search; kept by
    // every change after, and narrowed by searches that find less.
    struct EndMarks {
        static constexpr std::size_t kKeys = 16 * 128;
        bool built = false;
        BeatMarks beats[2];
        std::vector<std::int32_t> last[2];  // -1: none
        BeatMarks dirty;
    };
    static int EndKind(std::uint32_t message) {
        if (Kind(message) == 0x80) return 0;
        return Kind(message) == 0x90 && Data2(message) == 0 ? 1 : -1;
    }
    static std::size_t NoteKey(std::uint32_t message) {
        return (message & 0x0F) | ((message >> 4) & 0x7F0);
    }
    void Added(std::uint32_t beat, std::uint32_t message) const {
        if (!ends_.built) return;
        const int kind = EndKind(message);
        if (kind < 0) return;
        ends_.beats[kind].Mark(beat);
        std::int32_t& last = ends_.last[kind][NoteKey(message)];
        if (last < static_cast<std::int32_t>(beat)) last = static_cast<std::int32_t>(beat);
    }
    void Touched(std::uint32_t beat) {
        if (ends_.built) ends_.dirty.Mark(beat);
    }
    void BeatsInserted(std::uint32_t beat, std::uint32_t n);
    void BeatsErased(std::uint32_t beat, std::uint32_t n);
    void BuildEndMarks() const;
    void Relook(std::uint32_t beat) const;

    EventBlock slab_;  // declared first: it outlives the buckets borrowing from it
    std::vector<Slot> buckets_;
    SysexTable sysex_;
    NoteTracker notes_;
    mutable EndMarks ends_;  // a cache: searches are const
};

}  // namespace kvs
