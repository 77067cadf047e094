#include "files/midi_file_writer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "files/byte_writer.h"
#include "files/merged_event_cursor.h"
#include "model/song.h"

namespace kvs {
namespace {

constexpr std::uint16_t kDivision = TICKS_PER_BEAT;
constexpr std::uint32_t kMaxVarLen = 0x0FFFFFFF;
constexpr std::uint32_t kMaxChunks = 0xFFFF;  // the header counts tracks in 16 bits

// The writer's own word kinds, beside the model's event kinds.
constexpr std::uint32_t kWordChunkStart = 0x00;
constexpr std::uint32_t kWordSongName = 0x11;
constexpr std::uint32_t kWordCopyright = 0x12;
constexpr std::uint32_t kWordTrackName = 0x13;
constexpr std::uint32_t kWordPort = 0x20;
constexpr std::uint32_t kWordLoop = 0x30;
constexpr std::uint32_t kWordMarkers = 0x40;

constexpr std::uint8_t kKvsId[3] = {0x00, 0x27, 0x4A};
constexpr std::uint8_t kEmptySequencerEvent[3] = {0xFF, 0x7F, 0x00};

// One track chunk being written. Bytes are staged in a small buffer and
// appended to the file in blocks: most events are three or four bytes, and
// appending those one by one to a vector costs more than producing them.
class Chunk {
  public:
    Chunk(ByteWriter& out, const Song& song, const std::vector<std::string>* outPorts)
        : song(song), outPorts(outPorts), out_(out) {
        out_.Text("MTrk");
        lengthAt_ = out_.Size();
        out_.BE32(0);
    }

    // Room for n (at most kMaxPut) bytes at the end; Commit says how many were used.
    std::uint8_t* Room(std::size_t n) {
        if (sizeof stage_ - staged_ < n) Flush();
        return stage_ + staged_;
    }
    void Commit(std::size_t n) { staged_ += n; }
    void Put(std::uint8_t b) {
        *Room(1) = b;
        ++staged_;
    }
    void Put(std::span<const std::uint8_t> bytes) {
        if (bytes.size() > kMaxPut) {
            Flush();
            out_.Bytes(bytes);
            return;
        }
        std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
        staged_ += bytes.size();
    }
    void Put(std::string_view text) {
        Put(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    void PutVarLen(std::uint32_t value) { staged_ += EncodeVarLen(value, Room(4)); }

    // The end of track and the chunk's length.
    void End() {
        Put(std::span<const std::uint8_t>(kEndOfTrack));
        Flush();
        out_.PatchBE32(lengthAt_, static_cast<std::uint32_t>(out_.Size() - lengthAt_ - 4));
    }

    static constexpr std::size_t kMaxPut = 256;
    static constexpr std::uint8_t kEndOfTrack[4] = {0x00, 0xFF, 0x2F, 0x00};

    const Song& song;
    const std::vector<std::string>* outPorts;  // null: no port records
    std::uint64_t lastTime = 0;                // time of the last event written
    std::uint8_t runningStatus = 0;
    std::string_view text;  // the text of a kind 10 word, set just before writing it

  private:
    void Flush() {
        out_.Bytes(std::span<const std::uint8_t>(stage_, staged_));
        staged_ = 0;
    }

    ByteWriter& out_;
    std::size_t lengthAt_;
    std::uint8_t stage_[4096];
    std::size_t staged_ = 0;
};

// The delta time of an event at time. A delta longer than a variable-length
// quantity can hold is bridged with empty sequencer-specific events, which
// readers pass over. An event that comes before the last one written (a beat
// out of order) goes at the last time rather than at a negative delta.
std::uint32_t TakeDelta(Chunk& c, std::uint64_t time) {
    if (time <= c.lastTime) return 0;
    std::uint64_t delta = time - c.lastTime;
    c.lastTime = time;
    while (delta > kMaxVarLen) {
        c.PutVarLen(kMaxVarLen);
        c.Put(std::span<const std::uint8_t>(kEmptySequencerEvent));
        c.runningStatus = 0;
        delta -= kMaxVarLen;
    }
    return static_cast<std::uint32_t>(delta);
}

void WriteMetaStart(Chunk& c, std::uint64_t time, std::uint8_t type, std::uint32_t length) {
    c.PutVarLen(TakeDelta(c, time));
    c.Put(0xFF);
    c.Put(type);
    c.PutVarLen(length);
    c.runningStatus = 0;
}

void WriteKvsRecordStart(Chunk& c, std::uint64_t time, std::string_view tag,
                         std::uint32_t valueLength) {
    WriteMetaStart(c, time, 0x7F,
                   static_cast<std::uint32_t>(sizeof kKvsId + tag.size()) + valueLength);
    c.Put(std::span<const std::uint8_t>(kKvsId));
    c.Put(tag);
}

// Microseconds per quarter note; tempos too slow for 24 bits get the slowest
// the file can state rather than a wrapped value.
std::uint32_t TempoMicroseconds(std::uint32_t bpm) {
    bpm = std::min<std::uint32_t>(bpm, 0xFFFF);
    if (bpm == 0) return 0xFFFFFF;
    return std::min<std::uint32_t>(60000000u / bpm, 0xFFFFFF);
}

// Writes one word at the given absolute time. Returns false when the word
// writes nothing; the last written time then stays where it was, so the next
// event's delta time covers this one's.
bool WriteFileEvent(Chunk& c, std::uint64_t time, const Track* track, std::uint32_t word) {
    const std::uint32_t kind = word & 0xF0;
    if (kind >= 0x80 && kind < 0xF0) [[likely]] {
        // The common case. Data bytes keep 7 bits, or they would read back as status bytes.
        const std::uint32_t delta = TakeDelta(c, time);
        std::uint8_t* p = c.Room(8);
        std::size_t n = EncodeVarLen(delta, p);
        const std::uint8_t status = Status(word);
        if (status != c.runningStatus) {
            p[n++] = status;
            c.runningStatus = status;
        }
        p[n++] = Data1(word) & 0x7F;
        if (kind != 0xC0 && kind != 0xD0) p[n++] = Data2(word) & 0x7F;
        c.Commit(n);
        return true;
    }
    switch (kind) {
        case 0x00:
            c.runningStatus = 0;
            return false;
        case 0x10:
            WriteMetaStart(c, time, word & 0x0F, static_cast<std::uint32_t>(c.text.size()));
            c.Put(c.text);
            return true;
        case 0x20: {
            const std::uint32_t port = word >> 8;
            if (c.outPorts == nullptr || port >= c.outPorts->size()) return false;
            const std::string& name = (*c.outPorts)[port];
            WriteKvsRecordStart(c, time, "KVSport=", static_cast<std::uint32_t>(name.size()));
            c.Put(std::string_view(name));
            return true;
        }
        case 0x30:
            WriteKvsRecordStart(c, time, "KVSloop=", 1);
            c.Put(static_cast<std::uint8_t>(word >> 8));
            return true;
        case 0x40:
            WriteKvsRecordStart(c, time, "KVSmark=", 4 * kMarkerCount);
            for (const std::uint32_t beat : c.song.markers) {
                c.Put(static_cast<std::uint8_t>(beat));
                c.Put(static_cast<std::uint8_t>(beat >> 8));
                c.Put(static_cast<std::uint8_t>(beat >> 16));
                c.Put(static_cast<std::uint8_t>(beat >> 24));
            }
            return true;
        case EVT_TEMPO: {
            const std::uint32_t us = TempoMicroseconds(word >> 8);
            WriteMetaStart(c, time, 0x51, 3);
            c.Put(static_cast<std::uint8_t>(us >> 16));
            c.Put(static_cast<std::uint8_t>(us >> 8));
            c.Put(static_cast<std::uint8_t>(us));
            return true;
        }
        case EVT_TIMESIG:
            WriteMetaStart(c, time, 0x58, 4);
            c.Put(Data1(word));
            c.Put(Data2(word));
            c.Put(0x18);
            c.Put(0x08);
            return true;
        case 0x70:
            return false;
        case EVT_SYSEX: {
            const SysexBlock* block = track ? track->Sysex().Find(SysexId(word)) : nullptr;
            if (block == nullptr || block->Length() < 2 || block->Length() - 1 > kMaxVarLen)
                return false;
            c.PutVarLen(TakeDelta(c, time));
            c.Put(0xF0);
            c.PutVarLen(block->Length() - 1);
            c.Put(std::span<const std::uint8_t>(block->bytes).subspan(1));
            c.runningStatus = 0;
            return true;
        }
        default:  // channel messages, handled above
            return false;
    }
}

bool HasChannel(const Track& track) {
    return track.properties.channel != kNoChannel;
}

// One of the track's events. Only what a track can hold is written; the track's
// channel, when set, replaces the channel of every channel message.
inline void WriteTrackEvent(Chunk& c, std::uint64_t time, const Track& track,
                            std::uint32_t message) {
    const std::uint32_t kind = Kind(message);
    if (kind >= 0x80 && kind < 0xF0) {
        if (HasChannel(track)) message = (message & 0x00FFFFF0) | (track.properties.channel & 0x0F);
    } else if (kind != EVT_TEMPO && kind != EVT_TIMESIG && kind != EVT_SYSEX) {
        return;
    }
    WriteFileEvent(c, time, &track, message);
}

void WriteText(Chunk& c, std::uint32_t word, std::string_view text) {
    if (text.empty()) return;
    c.text = text;
    WriteFileEvent(c, 0, nullptr, word);
}

std::uint32_t TempoWord(std::uint32_t bpm) {
    return EVT_TEMPO | (std::min<std::uint32_t>(bpm, 0xFFFF) << 8);
}

std::uint32_t TimeSigWord(const Song& song) {
    return PackMessage(EVT_TIMESIG, static_cast<std::uint8_t>(song.timeSigNumerator),
                       static_cast<std::uint8_t>(song.timeSigDenominatorExp));
}

// Tempo, time signature, name and copyright, at time 0.
void WriteSongSettings(Chunk& c) {
    WriteFileEvent(c, 0, nullptr, TempoWord(c.song.tempo));
    WriteFileEvent(c, 0, nullptr, TimeSigWord(c.song));
    WriteText(c, kWordSongName, c.song.name.View());
    WriteText(c, kWordCopyright, c.song.copyright.View());
}

// The track's initial properties on its channel, each only when set.
void WriteInitialProperties(Chunk& c, const Track& track) {
    const TrackProperties& p = track.properties;
    const std::uint8_t ch = p.channel & 0x0F;
    const auto controller = [&](std::uint8_t number, std::int16_t value) {
        if (value >= 0)
            WriteFileEvent(c, 0, &track,
                           PackMessage(0xB0 | ch, number, static_cast<std::uint8_t>(value)));
    };
    if (p.bank >= 0) {
        WriteFileEvent(c, 0, &track, PackMessage(0xB0 | ch, 0x20, p.bank & 0x7F));
        WriteFileEvent(c, 0, &track, PackMessage(0xB0 | ch, 0x00, (p.bank >> 7) & 0x7F));
    }
    if (p.program >= 0)
        WriteFileEvent(c, 0, &track, PackMessage(0xC0 | ch, static_cast<std::uint8_t>(p.program)));
    controller(0x07, p.volume);
    controller(0x0A, p.pan);
    controller(0x5B, p.reverb);
    controller(0x5D, p.chorus);
}

bool WriteMidiTrack(ByteWriter& out, const Song& song, std::uint32_t index, bool full,
                    const std::vector<std::string>& outPorts) {
    const Track& track = *song.GetTrack(index);
    Chunk c(out, song, full && outPorts.size() > 1 ? &outPorts : nullptr);
    WriteFileEvent(c, 0, nullptr, kWordChunkStart);

    if (index == 0) {
        WriteSongSettings(c);
        const bool anyMarker = std::any_of(song.markers.begin(), song.markers.end(),
                                           [](std::uint32_t m) { return m != kUnsetMarker; });
        if (full && anyMarker) {
            WriteFileEvent(c, 0, nullptr, kWordMarkers);
            WriteFileEvent(c, 0, nullptr, kWordLoop | ((song.loop != 0 ? 1u : 0u) << 8));
        }
    }
    WriteText(c, kWordTrackName, track.properties.name.View());
    if (c.outPorts != nullptr)
        WriteFileEvent(c, 0, &track, kWordPort | (std::uint32_t{track.properties.port} << 8));
    if (HasChannel(track)) WriteInitialProperties(c, track);

    const std::uint32_t beats = track.BeatCount();
    for (std::uint32_t beat = 0; beat < beats; ++beat) {
        const std::uint64_t base = std::uint64_t{beat} * TICKS_PER_BEAT;
        for (const Event& e : *track.Bucket(beat))
            WriteTrackEvent(c, base + e.offset, track, e.message);
    }
    c.End();
    return true;
}

// Room for the whole file up front: most events take 3 or 4 bytes.
std::size_t EstimateSize(const Song& song) {
    std::size_t size = 14 + 256;
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i)
        size += 128 + 4 * song.GetTrack(i)->EventCount();
    return size;
}

void WriteHeader(ByteWriter& out, std::uint16_t format, std::uint16_t tracks) {
    out.Text("MThd");
    out.BE32(6);
    out.BE16(format);
    out.BE16(tracks);
    out.BE16(kDivision);
}

}  // namespace

std::vector<std::uint8_t> WriteMidiFile1(const Song& song, bool full,
                                         const std::vector<std::string>& outPorts) {
    // A header cannot count more tracks than this; a file with more chunks
    // than it declares would not load at all.
    const std::uint32_t tracks = std::min(song.TrackCount(), kMaxChunks);
    ByteWriter out;
    out.Reserve(EstimateSize(song));
    WriteHeader(out, 1, static_cast<std::uint16_t>(tracks));
    for (std::uint32_t i = 0; i < tracks; ++i)
        WriteMidiTrack(out, song, i, full, outPorts);
    return out.Take();
}

std::vector<std::uint8_t> WriteMidiFile0(const Song& song) {
    ByteWriter out;
    out.Reserve(EstimateSize(song));
    WriteHeader(out, 0, 1);
    Chunk c(out, song, nullptr);
    WriteFileEvent(c, 0, nullptr, kWordChunkStart);

    WriteSongSettings(c);
    if (const Track* first = song.GetTrack(0))
        WriteText(c, kWordTrackName, first->properties.name.View());
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i) {
        const Track& track = *song.GetTrack(i);
        if (HasChannel(track)) WriteInitialProperties(c, track);
    }

    MergedEventCursor cursor(song);
    MergedEvent e;
    while (cursor.Next(e))
        WriteTrackEvent(c, e.time, *e.track, e.message);
    c.End();
    return out.Take();
}

}  // namespace kvs
