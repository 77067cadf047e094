// The splits: copies of one track's range spread over new tracks.

#include <array>
#include <memory>
#include <vector>

#include "model/song.h"
#include "tools/more_tools.h"
#include "tools/tool_scan.h"

namespace kvs {
namespace {

// One new track being filled.
class Part {
  public:
    explicit Part(const TrackProperties& properties) : track_(std::make_unique<Track>()) {
        track_->properties = properties;
        lastEnd_.fill(EventPos{});
    }

    Track& Get() { return *track_; }

    void Add(const Track& source, Tick tick, std::uint32_t message) {
        if (IsSysex(message)) {
            const SysexBlock* block = source.Sysex().Find(SysexId(message));
            if (block == nullptr) return;  // names no block: nothing to copy
            track_->AddSysexEvent(tick, block->bytes);
            return;
        }
        track_->AddEvent(tick, message);
    }

    void AddNote(const Note& note) {
        // Overlapping notes of one key can share an end; it is copied once.
        EventPos& last = lastEnd_[Channel(note.onMessage) * 128 + (Data1(note.onMessage) & 0x7F)];
        if (!track_->AddEvent(note.onTick, note.onMessage)) return;
        if (last == note.off) return;
        if (!track_->AddEvent(note.offTick, note.offMessage)) {
            // No note on without its end.
            const std::uint32_t beat = note.onTick / TICKS_PER_BEAT;
            track_->DeleteEvent(beat, track_->Bucket(beat)->Count() - 1);
            return;
        }
        last = note.off;
    }

    // Appends the track to the song when it received anything.
    bool AppendTo(Song& song) {
        if (track_->EventCount() == 0) return false;
        for (std::uint32_t beat = 0; beat < track_->BeatCount(); ++beat)
            track_->Bucket(beat)->Sort();
        if (!song.InsertTrack()) return false;
        return song.ReplaceTrack(song.TrackCount() - 1, std::move(track_)) != nullptr;
    }

  private:
    std::unique_ptr<Track> track_;
    std::array<EventPos, 16 * 128> lastEnd_;  // by channel and key
};

// Visits the range forward. A note on whose end is found comes as a note;
// ends and note ons without an end are left out.
template <typename OnNote, typename OnOther>
void ScanCopies(const Track& track, const ToolRange& range, OnNote&& onNote, OnOther&& onOther) {
    const std::uint32_t end = std::min(range.endBeat, track.BeatCount());
    for (std::uint32_t beat = range.firstBeat; beat < end; ++beat) {
        const BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            const std::uint32_t message = bucket[i].message;
            if (IsNoteEnd(message)) continue;
            if (IsSoundingNoteOn(message)) {
                if (const std::optional<Note> note = NoteAt(track, beat, i)) onNote(*note);
                continue;
            }
            onOther(beat * TICKS_PER_BEAT + bucket[i].offset, message);
        }
    }
}

std::uint32_t AppendAll(Song& song, std::vector<Part>& parts) {
    std::uint32_t added = 0;
    for (Part& part : parts)
        added += part.AppendTo(song) ? 1 : 0;
    return added;
}

}  // namespace

std::uint32_t ChannelSplit(Song& song, std::uint32_t source, const ToolRange& range) {
    const Track* track = song.GetTrack(source);
    if (track == nullptr || range.endBeat <= range.firstBeat) return 0;
    std::vector<Part> parts;
    parts.reserve(16);
    for (std::uint16_t channel = 0; channel < 16; ++channel) {
        TrackProperties properties = track->properties;
        properties.channel = channel;
        properties.name.Set("");
        parts.emplace_back(properties);
    }
    // Tempo, time signature and SysEx have a low nibble of 0: channel 1.
    ScanCopies(
        *track, range, [&](const Note& note) { parts[Channel(note.onMessage)].AddNote(note); },
        [&](Tick tick, std::uint32_t message) {
            parts[Channel(message)].Add(*track, tick, message);
        });
    return AppendAll(song, parts);
}

std::uint32_t SplitNotes(Song& song, std::uint32_t source, const ToolRange& range, SplitBy by,
                         std::int32_t lower, std::int32_t upper) {
    const Track* track = song.GetTrack(source);
    if (track == nullptr || range.endBeat <= range.firstBeat) return 0;
    std::vector<Part> parts;
    parts.reserve(2);
    for (const char* name : {"<>", "><"}) {
        TrackProperties properties = track->properties;
        properties.name.Set(name);
        parts.emplace_back(properties);
    }
    auto criterion = [by](const Note& note) -> std::int64_t {
        switch (by) {
            case SplitBy::Key:
                return Data1(note.onMessage);
            case SplitBy::Velocity:
                return Data2(note.onMessage);
            case SplitBy::Length:
                break;
        }
        return std::int64_t{note.offTick} - note.onTick + 1;
    };
    ScanCopies(
        *track, range,
        [&](const Note& note) {
            const std::int64_t c = criterion(note);
            parts[lower <= c && c <= upper ? 0 : 1].AddNote(note);
        },
        [&](Tick tick, std::uint32_t message) {
            for (Part& part : parts)
                part.Add(*track, tick, message);
        });
    return AppendAll(song, parts);
}

}  // namespace kvs
