#include "model/clean_up_track.h"

#include <memory>

#include "model/song.h"
#include "model/track.h"

namespace kvs {

namespace {

constexpr std::uint8_t kPedalControllers[] = {64, 65, 66, 67};
constexpr std::uint32_t kPedalFlags[] = {NoteTracker::kSustain, NoteTracker::kPortamento,
                                         NoteTracker::kSostenuto, NoteTracker::kSoft};

// Copies one event of the old track into the new one, or drops it. False
// only when memory runs out.
bool CopyEvent(const Track& old, Track& clean, Tick tick, std::uint32_t message) {
    NoteTracker& tracker = clean.Notes();
    message = AsNoteOff(message);
    if (Kind(message) == 0x80 && !tracker.IsSounding(NoteKey(message))) return true;  // stray
    if (Kind(message) == 0x90 && tracker.IsSounding(NoteKey(message))) return true;   // doubled
    if (IsSysex(message)) {
        const SysexBlock* block = old.Sysex().Find(SysexId(message));
        if (block == nullptr) return true;  // an id without bytes has nothing to send
        const std::uint32_t id = clean.Sysex().Add(block->bytes);
        if (id == 0) return false;
        return clean.AddEvent(tick, (id << 8) | Status(message));
    }
    if (!clean.AddEvent(tick, message)) return false;
    tracker.Observe(message);
    return true;
}

// Ends every note, pedal and bend the tracker still holds.
bool CloseAll(Track& clean, Tick tick) {
    const NoteTracker& tracker = clean.Notes();
    for (std::uint32_t i = 1; i < tracker.Count(); ++i)
        if (!clean.AddEvent(tick, tracker.Data()[i] | 0x400080)) return false;
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        const std::uint32_t flags = tracker.Flags()[channel];
        for (std::size_t p = 0; p < 4; ++p) {
            if ((flags & kPedalFlags[p]) == 0) continue;
            if (!clean.AddEvent(tick, PackMessage(0xB0 | channel, kPedalControllers[p], 0)))
                return false;
        }
        if ((flags & NoteTracker::kBendOffCentre) != 0 &&
            !clean.AddEvent(tick, PackMessage(0xE0 | channel, 0, 64)))
            return false;
    }
    return true;
}

}  // namespace

void CleanUpTrack(Song& song, std::uint32_t trackIndex) {
    const Track* old = song.GetTrack(trackIndex);
    if (old == nullptr || old->BeatCount() == 0) return;
    auto clean = std::make_unique<Track>();
    clean->Notes().Reset();
    // Keep the track's length even when its last beats lose every event.
    if (!clean->EnsureBeats(old->BeatCount())) return;

    for (std::uint32_t beat = 0; beat < old->BeatCount(); ++beat) {
        for (const Event& e : *old->Bucket(beat))
            if (!CopyEvent(*old, *clean, beat * TICKS_PER_BEAT + e.offset, e.message)) return;
    }
    if (!CloseAll(*clean, old->BeatCount() * TICKS_PER_BEAT - 1)) return;

    clean->properties = old->properties;
    clean->Notes().Reset();
    song.ReplaceTrack(trackIndex, std::move(clean));
}

}  // namespace kvs
