#include <algorithm>
#include <new>

#include "midi/recorder.h"
#include "model/song.h"
#include "model/track.h"

namespace kvs {
namespace {

constexpr std::uint32_t NoteOffFor(std::uint32_t noteKey) {
    return 0x400080u | (noteKey & 0xFF0F);
}

void SortBeat(Track& track, std::uint32_t beat) {
    if (BeatBucket* b = track.Bucket(beat)) b->Sort();
}

// A note on or off of the message's channel and key anywhere in [from, to].
bool HasNoteBetween(const Track& take, std::uint32_t message, std::uint32_t from,
                    std::uint32_t to) {
    const std::uint32_t key = message & 0xFFEF;
    for (std::uint32_t beat = from / TICKS_PER_BEAT; beat <= to / TICKS_PER_BEAT; ++beat) {
        const BeatBucket* bucket = take.Bucket(beat);
        if (bucket == nullptr) break;
        for (const Event& e : *bucket) {
            const std::uint32_t tick = beat * TICKS_PER_BEAT + e.offset;
            if ((e.message & 0xE0) == 0x80 && (e.message & 0xFFEF) == key && tick >= from &&
                tick <= to)
                return true;
        }
    }
    return false;
}

struct LoopRange {
    bool on = false;
    std::uint32_t left = 0;
    std::uint32_t right = 0;
};

LoopRange SongLoop(const Song& song) {
    const std::uint32_t left = song.markers[kMarkerLeft];
    const std::uint32_t right = song.markers[kMarkerRight];
    return LoopRange{
        song.loop != 0 && left != kUnsetMarker && right != kUnsetMarker && left < right, left,
        right};
}

}  // namespace

std::unique_ptr<Track> NewTake() {
    try {
        auto take = std::make_unique<Track>();
        if (!take->EnsureBeats(100)) return nullptr;
        return take;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CloseHeldNotes(const NoteTracker& held, Track& track, std::uint32_t endBeat) {
    const Tick t = endBeat == 0 ? 0 : endBeat * TICKS_PER_BEAT - 1;
    for (std::uint32_t i = 1; i < held.Count(); ++i)
        track.AddEvent(t, NoteOffFor(held.Data()[i]));
    for (std::uint32_t ch = 0; ch < 16; ++ch) {
        const std::uint32_t f = held.Flags()[ch];
        for (std::uint32_t bit = 1; bit <= 4; ++bit)
            if (f & (1u << bit)) track.AddEvent(t, 0xB0u + ch + ((0x3Fu + bit) << 8));
        if (f & NoteTracker::kBendOffCentre) track.AddEvent(t, 0xE0u + ch + (0x40u << 16));
    }
}

bool Recorder::OutsidePunch(std::uint32_t tick) const {
    if (!punch_ || song_ == nullptr) return false;
    const std::uint32_t beat = tick / TICKS_PER_BEAT;
    const std::uint32_t left = song_->markers[kMarkerLeft];
    const std::uint32_t right = song_->markers[kMarkerRight];
    return (left != kUnsetMarker && left > beat) || (right != kUnsetMarker && right <= beat);
}

Track* Recorder::TakeFor(std::uint32_t pass) {
    // Overdubbing, or one pass at a time with the step position.
    if (confirm_ || mode_ == Mode::Step) return takes_.empty() ? nullptr : takes_.back().take.get();
    // A straggler of a pass already committed gets a take of its own, which
    // the next wrap or the stop commits with the whole pass's length.
    auto at = takes_.begin();
    while (at != takes_.end() && at->pass < pass)
        ++at;
    if (at != takes_.end() && at->pass == pass) return at->take.get();
    std::unique_ptr<Track> take = NewTake();
    if (take == nullptr) return nullptr;
    return takes_.insert(at, PassTake{pass, std::move(take)})->take.get();
}

void Recorder::RecordEvent(std::uint32_t message, std::uint32_t tick, std::uint32_t pass) {
    const LoopRange loop = SongLoop(*song_);
    // Stamped in the period that reached Right, before the jump back: the
    // timer sends nothing there and goes on from Left in the next pass.
    if (loop.on && tick / TICKS_PER_BEAT >= loop.right) {
        tick = loop.left * TICKS_PER_BEAT;
        pass += 1;
    }
    if (OutsidePunch(tick)) return;
    const std::uint64_t origin = std::uint64_t{takeOrigin_} * TICKS_PER_BEAT;
    if (tick < origin) return;  // relocated before the take: no place for it
    Track* take = TakeFor(pass);
    if (take == nullptr) {
        overflowed_ += 1;
        return;
    }
    if (!take->AddEvent(static_cast<Tick>(tick - origin), message)) overflowed_ += 1;
    take->Notes().Observe(message);
}

void Recorder::RecordSysex(std::vector<std::uint8_t> bytes, std::uint32_t tick,
                           std::uint32_t pass) {
    const LoopRange loop = SongLoop(*song_);
    if (loop.on && tick / TICKS_PER_BEAT >= loop.right) {
        tick = loop.left * TICKS_PER_BEAT;
        pass += 1;
    }
    if (OutsidePunch(tick)) return;
    const std::uint64_t origin = std::uint64_t{takeOrigin_} * TICKS_PER_BEAT;
    if (tick < origin) return;
    Track* take = TakeFor(pass);
    if (take == nullptr || !take->AddSysexEvent(static_cast<Tick>(tick - origin), std::move(bytes)))
        overflowed_ += 1;
}

void Recorder::StepRecordEvent(std::uint32_t message) {
    Track* take = TakeFor(0);
    if (take == nullptr) return;
    std::uint32_t position = engine_.Position();
    const std::uint32_t origin = takeOrigin_ * TICKS_PER_BEAT;
    if (Kind(message) == 0x90) {
        if (OutsidePunch(position)) return;
        take->Notes().Observe(message);
        if (position < origin || stepNoteLength_ == 0) return;
        const std::uint32_t t = position - origin;
        const std::uint32_t last = t + stepNoteLength_ - 1;
        if (HasNoteBetween(*take, message, t, last)) return;
        take->AddEvent(t, message);
        take->AddEvent(last, NoteOffFor(message));
        return;
    }
    if (Kind(message) != 0x80) return;
    take->Notes().Observe(message);
    if (take->Notes().Count() > 1) return;  // the rest of the chord is still down
    position += stepSize_;
    engine_.SetStepPosition(position);
    const LoopRange loop = SongLoop(*song_);
    if (loop.on && loop.right <= position / TICKS_PER_BEAT) {
        if (!confirm_) {
            CommitTake(*take, position);
            std::unique_ptr<Track> next = NewTake();
            if (next == nullptr) {
                // Nothing left to record into: stop, the pass is kept.
                Finish();
                engine_.StopEngine();
                return;
            }
            takes_.back().take = std::move(next);
        }
        engine_.Relocate(loop.left);
    }
    notifier_.Post(ENGINE_NOTIFY, kNotifyBeat);
}

void Recorder::CommitPassesBefore(std::uint32_t pass) {
    const LoopRange loop = SongLoop(*song_);
    bool committed = false;
    while (!takes_.empty() && takes_.front().pass < pass) {
        // The pass ended where the loop turned back.
        const std::uint32_t end = loop.on ? loop.right * TICKS_PER_BEAT - 1 : engine_.Position();
        CommitTake(*takes_.front().take, end);
        takes_.erase(takes_.begin());
        committed = true;
    }
    if (committed && takes_.empty()) (void)TakeFor(pass);
}

bool Recorder::CommitTake(Track& take, std::uint32_t position) {
    if (confirm_ && host_ != nullptr) {
        const bool was = inputSuspended_.exchange(true);
        const bool keep = host_->AskKeep();
        inputSuspended_ = was;
        if (!keep) return false;
    }
    if (host_ != nullptr) host_->SaveUndo(recordTrack_);
    std::unique_lock<std::mutex> lock = engine_.LockSong();
    song_->modified = 1;
    const std::uint32_t origin = takeOrigin_;
    // Up to and with the beat that holds the position: a message stamped on
    // the first tick of a beat belongs to that beat.
    const std::uint32_t reached = position / TICKS_PER_BEAT + 1;
    // A position before the origin (relocated there) leaves nothing to merge.
    std::uint32_t length = reached > origin ? reached - origin : 0;
    const std::uint32_t left = song_->markers[kMarkerLeft];
    const std::uint32_t right = song_->markers[kMarkerRight];
    const bool bounded = (punch_ || song_->loop != 0) && right != kUnsetMarker;
    if (bounded && right >= origin) length = std::min(length, right - origin);
    std::uint32_t startBeat = origin;
    if (punch_ && left != kUnsetMarker && left > origin) startBeat = left;
    std::uint32_t endBeat = origin + length;
    if (bounded && endBeat > right) endBeat = right;
    Track* track = song_->GetTrack(recordTrack_);
    if (track == nullptr) return true;
    Merge(take, *track, length, startBeat, endBeat);
    return true;
}

void Recorder::Merge(Track& take, Track& track, std::uint32_t length, std::uint32_t startBeat,
                     std::uint32_t endBeat) {
    NoteTracker& held = take.Notes();
    held.Reset();
    for (std::uint32_t b = 0; b < length; ++b) {
        const std::uint64_t base = (std::uint64_t{b} + takeOrigin_) * TICKS_PER_BEAT;
        if (const BeatBucket* bucket = take.Bucket(b)) {
            for (std::uint32_t i = 0; i < bucket->Count(); ++i) {
                const Event e = (*bucket)[i];
                const std::uint64_t at = base + e.offset;
                if (at > 0xFFFFFFFFu) break;
                const Tick t = static_cast<Tick>(at);
                if (Kind(e.message) == EVT_SYSEX) {
                    const SysexBlock* block = take.Sysex().Find(SysexId(e.message));
                    if (block == nullptr) continue;
                    const std::uint32_t id = track.Sysex().Add(block->bytes);
                    if (id != 0) track.AddEvent(t, (id << 8) | EVT_SYSEX);
                    continue;
                }
                track.AddEvent(t, e.message);
                if (Kind(e.message) == 0x80 && !held.IsSounding(NoteKey(e.message))) {
                    // Begun before the range: it starts where the range does.
                    track.AddEvent(startBeat * TICKS_PER_BEAT, (e.message & 0xFFFF0Fu) | 0x90u);
                    SortBeat(track, startBeat);
                }
                held.Observe(e.message);
            }
        }
        SortBeat(track, b + takeOrigin_);
        if (b == length - 1) CloseHeldNotes(held, track, endBeat);
    }
}

}  // namespace kvs
