#include "files/midi_file_reader.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "model/clean_up_track.h"
#include "model/event.h"
#include "model/event_block.h"
#include "model/song.h"
#include "model/sysex_table.h"
#include "model/track.h"

namespace kvs {
namespace {

constexpr std::uint32_t kVarLenFailed = 0xFFFFFFFF;
// The writer keeps 16 bits of tempo; anything faster would not survive a save.
constexpr std::uint32_t kMaxTempo = 65535;
constexpr std::uint8_t kKvsId[3] = {0x00, 0x27, 0x4A};
constexpr std::size_t kKvsTagSize = 8;

enum class MetaKind : std::uint8_t { Ignored, Text, Copyright, TrackName, Tempo, TimeSig, Kvs };

struct MetaEvent {
    MetaKind kind = MetaKind::Ignored;
    std::size_t data = 0;  // offset of the data bytes in the file
    std::uint32_t length = 0;
};

enum class KvsKind : std::uint8_t { Ignored, Loop, Marks, Port };

struct KvsRecord {
    KvsKind kind = KvsKind::Ignored;
    std::size_t value = 0;  // offset of the value bytes, after the tag
    std::uint32_t length = 0;
};

// The initial-settings scan's memory within one track chunk.
struct ScanFlags {
    bool channelFixed = false;
    bool bankMsbTaken = false;
    bool bankLsbTaken = false;
    bool noteOnSeen = false;
};

// A word the scan took as a property, and where its event would have stood.
struct TakenWord {
    std::size_t at;  // index in the chunk's events it would have had
    Tick tick;
    std::uint32_t word;
};

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}
std::uint16_t BigEndian16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
std::uint32_t LittleEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
           p[0];
}

// A track whose channel events all share one channel plays on it.
void DetectTrackChannel(Track& track) {
    int channel = -1;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        for (const Event& e : *track.Bucket(beat)) {
            const std::uint8_t status = Status(e.message);
            if ((status & 0x80) == 0) continue;
            const int c = status & 0x0F;
            if (channel < 0) {
                channel = c;
            } else if (channel != c) {
                return;
            }
        }
    }
    if (channel >= 0) track.properties.channel = static_cast<std::uint16_t>(channel);
}

// Loads one Standard MIDI File into a song. Every offset handed around is
// checked against size_ before the byte at it is read.
class MidiLoader {
  public:
    MidiLoader(std::span<const std::uint8_t> file, Song& song, const LoadOptions& options,
               std::uint16_t format, std::uint16_t division)
        : data_(file.data()),
          size_(file.size()),
          song_(song),
          options_(options),
          format_(format),
          division_(division) {}

    ResultCode Run(std::uint16_t declaredTracks);

  private:
    std::size_t ReadMidiTrack(std::size_t chunk, Track& track);
    std::size_t ReadEvents(std::size_t pos, std::size_t bodyEnd, Track& track);
    std::uint32_t ReadVarLen(std::size_t offset, std::size_t* count) const;
    MetaEvent ReadMetaEvent(std::size_t offset, std::size_t* count) const;
    KvsRecord ReadKvsMeta(std::size_t offset, std::uint32_t length) const;
    bool ApplyMetaEvent(const MetaEvent& meta, Track& track, Tick tick);
    void ApplyKvsRecord(const KvsRecord& record, Track& track);
    bool ReadSysex(std::size_t* pos, Track& track, Tick tick);
    bool ReadSysexPacket(std::size_t* pos, Track& track, Tick tick);
    bool ReadSysexData(std::size_t pos, std::size_t* data, std::uint32_t* length) const;
    bool AddSysexBlock(Track& track, Tick tick, bool prefixF0, std::size_t data,
                       std::uint32_t length);
    bool TakeLoadedEvent(Track& track, Tick tick, std::uint32_t word);
    bool InScanWindow(Tick tick) const;
    bool TakeProperty(Track& track, std::uint32_t word);
    bool StoreEvent(Tick tick, std::uint32_t word);
    bool UndoScanIfMixed(Track& track, const TrackProperties& before);
    bool StartBeat(Tick tick);
    std::string_view TextAt(std::size_t offset, std::uint32_t length) const;

    const std::uint8_t* data_;
    std::size_t size_;
    Song& song_;
    const LoadOptions& options_;
    std::uint16_t format_;
    std::uint16_t division_;
    std::uint64_t beatsBefore_ = 0;  // beats of the tracks this load finished

    ScanFlags scan_;
    std::vector<TakenWord> taken_;
    std::uint16_t channelsUsed_ = 0;  // bit n: the chunk has a message on channel n
    // The block a SysEx sent in packets is still being filled into; owned by
    // the track's table, which keeps block addresses stable.
    SysexBlock* lastBlock_ = nullptr;
    // The chunk's events, absolute ticks in their offsets, until the track
    // adopts them at the chunk's end.
    EventBlock events_;
    Tick beatEnd_ = 0;                // first tick after the beat being read
    std::size_t beatEventLimit_ = 0;  // count of events_ that fills that beat's bucket
};

ResultCode MidiLoader::Run(std::uint16_t declaredTracks) {
    std::size_t pos = 14;
    std::uint32_t chunks = 0;
    while (pos < size_ && chunks < declaredTracks) {
        if (!song_.InsertTrack(-1)) return kErrInvalidFile;
        const std::uint32_t index = song_.TrackCount() - 1;
        Track* track = song_.GetTrack(index);
        if (track == nullptr) return kErrInvalidFile;
        track->properties.port = options_.defaultPort;
        const std::size_t used = ReadMidiTrack(pos, *track);
        if (used == 0) return kErrInvalidFile;
        ++chunks;
        if (options_.autoclean) CleanUpTrack(song_, index);
        // Clean-up may put a rebuilt track in place of the one we filled.
        beatsBefore_ += song_.GetTrack(index)->BeatCount();
        pos += used;
    }
    return pos == size_ ? kResultOk : kErrInvalidFile;
}

std::uint32_t MidiLoader::ReadVarLen(std::size_t offset, std::size_t* count) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (offset + i >= size_) return kVarLenFailed;
        const std::uint8_t b = data_[offset + i];
        value = (value << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0) {
            *count = i + 1;
            return value;
        }
    }
    return kVarLenFailed;  // a fourth byte that still claims a successor
}

std::size_t MidiLoader::ReadMidiTrack(std::size_t chunk, Track& track) {
    if (size_ - chunk < 8 || std::memcmp(data_ + chunk, "MTrk", 4) != 0) return 0;
    const std::uint32_t length = BigEndian32(data_ + chunk + 4);
    if (length > size_ - chunk - 8) return 0;

    scan_ = ScanFlags{};
    taken_.clear();
    channelsUsed_ = 0;
    const TrackProperties before = track.properties;
    lastBlock_ = nullptr;
    events_.Clear();
    beatEnd_ = 0;
    beatEventLimit_ = 0;
    // An event takes at least two bytes of the chunk. Room for that many
    // costs only address space: the allocator maps large blocks, and their
    // pages cost nothing until they are written. Without it the block grows.
    (void)events_.Reserve(std::size_t{length} / 2 + 1);
    std::size_t end = ReadEvents(chunk + 8, chunk + 8 + length, track);
    if (!UndoScanIfMixed(track, before)) end = 0;
    // Even a failed chunk keeps the events read before the fault.
    const bool adopted = track.AdoptEvents(std::move(events_));
    if (end == 0 || !adopted) return 0;
    DetectTrackChannel(track);
    return end - chunk;
}

// Reads events until the body's stated end is reached; returns the position
// after the last event, which may lie beyond that end, or 0 on a fault.
std::size_t MidiLoader::ReadEvents(std::size_t pos, std::size_t bodyEnd, Track& track) {
    std::uint8_t status = 0x90;
    std::uint64_t fileTime = 0;
    Tick tick = 0;

    while (pos < bodyEnd) {
        std::uint32_t delta;
        if (data_[pos] < 0x80) {
            delta = data_[pos++];
        } else {
            std::size_t n = 0;
            delta = ReadVarLen(pos, &n);
            if (delta == kVarLenFailed) return 0;
            pos += n;
        }
        if (delta != 0) {
            fileTime += delta;
            const std::uint64_t scaled = fileTime * TICKS_PER_BEAT;
            // A 32-bit division is much cheaper and covers every ordinary song.
            const std::uint64_t wideTick = scaled <= UINT32_MAX
                                               ? static_cast<std::uint32_t>(scaled) / division_
                                               : scaled / division_;
            if (wideTick > UINT32_MAX) return 0;
            tick = static_cast<Tick>(wideTick);
        }
        if (pos >= size_) return 0;

        const std::uint8_t lead = data_[pos];
        if (lead == 0xFF) {
            if (size_ - pos < 3) return 0;
            std::size_t n = 0;
            const MetaEvent meta = ReadMetaEvent(pos + 1, &n);
            if (n == 0) return 0;
            if (!ApplyMetaEvent(meta, track, tick)) return 0;
            pos += 1 + n;
            continue;
        }
        if (lead == 0xF0) {
            if (!ReadSysex(&pos, track, tick)) return 0;
            continue;
        }
        if (lead == 0xF7) {
            if (!ReadSysexPacket(&pos, track, tick)) return 0;
            continue;
        }
        if (lead > 0xF0) {
            // System common and real-time bytes carry their own fixed number
            // of data bytes, store nothing, and neither set nor use the
            // running status: the channel events after them keep theirs.
            const std::size_t data = lead == 0xF2 ? 2 : lead == 0xF1 || lead == 0xF3 ? 1 : 0;
            if (size_ - pos <= data) return 0;
            pos += 1 + data;
            continue;
        }
        if (lead & 0x80) {
            status = lead;
            ++pos;
        }
        const bool oneDataByte = (status & 0xE0) == 0xC0;
        const std::size_t need = oneDataByte ? 1 : 2;
        if (size_ - pos < need) return 0;
        std::uint32_t word = status | (std::uint32_t{data_[pos]} << 8);
        if (!oneDataByte) word |= std::uint32_t{data_[pos + 1]} << 16;
        pos += need;
        channelsUsed_ |= static_cast<std::uint16_t>(1u << (status & 0x0F));
        // Past the scan window a channel message can only be stored.
        const bool stored = format_ == 1 && InScanWindow(tick) ? TakeLoadedEvent(track, tick, word)
                                                               : StoreEvent(tick, word);
        if (!stored) return 0;
    }
    return pos;
}

MetaEvent MidiLoader::ReadMetaEvent(std::size_t offset, std::size_t* count) const {
    *count = 0;
    const std::uint8_t type = data_[offset];
    std::size_t n = 0;
    const std::uint32_t length = ReadVarLen(offset + 1, &n);
    if (length == kVarLenFailed) return {};
    const std::size_t data = offset + 1 + n;
    if (length > size_ - data) return {};
    *count = 1 + n + length;

    MetaEvent meta{MetaKind::Ignored, data, length};
    switch (type) {
        case 0x01:
            meta.kind = MetaKind::Text;
            break;
        case 0x02:
            meta.kind = MetaKind::Copyright;
            break;
        case 0x03:
            meta.kind = MetaKind::TrackName;
            break;
        case 0x51:
            if (length == 3) meta.kind = MetaKind::Tempo;
            break;
        case 0x58:
            if (length == 4) meta.kind = MetaKind::TimeSig;
            break;
        case 0x7F:
            if (length >= 3 && std::memcmp(data_ + data, kKvsId, 3) == 0) meta.kind = MetaKind::Kvs;
            break;
        default:
            break;
    }
    return meta;
}

std::string_view MidiLoader::TextAt(std::size_t offset, std::uint32_t length) const {
    const auto* text = reinterpret_cast<const char*>(data_ + offset);
    const void* zero = std::memchr(text, 0, length);
    const std::size_t n = zero != nullptr ? static_cast<const char*>(zero) - text : length;
    return {text, n};
}

bool MidiLoader::ApplyMetaEvent(const MetaEvent& meta, Track& track, Tick tick) {
    const std::uint8_t* d = data_ + meta.data;
    switch (meta.kind) {
        case MetaKind::Text:
            if (song_.name.Empty()) {
                song_.name.Set(TextAt(meta.data, meta.length));
            } else {
                track.properties.name.Set(TextAt(meta.data, meta.length));
            }
            return true;
        case MetaKind::Copyright:
            song_.copyright.Set(TextAt(meta.data, meta.length));
            return true;
        case MetaKind::TrackName:
            track.properties.name.Set(TextAt(meta.data, meta.length));
            return true;
        case MetaKind::Tempo: {
            const std::uint32_t micros = (std::uint32_t{d[0]} << 16) | (d[1] << 8) | d[2];
            if (micros == 0) return true;  // no tempo at all
            std::uint32_t bpm = 60000000 / micros;
            if (bpm > kMaxTempo) bpm = kMaxTempo;
            return TakeLoadedEvent(track, tick, EVT_TEMPO | (bpm << 8));
        }
        case MetaKind::TimeSig:
            return TakeLoadedEvent(track, tick, PackMessage(EVT_TIMESIG, d[0], d[1]));
        case MetaKind::Kvs:
            ApplyKvsRecord(ReadKvsMeta(meta.data + 3, meta.length - 3), track);
            return true;
        case MetaKind::Ignored:
            return true;
    }
    return true;
}

KvsRecord MidiLoader::ReadKvsMeta(std::size_t offset, std::uint32_t length) const {
    if (length < kKvsTagSize + 1) return {};
    const std::string_view tag(reinterpret_cast<const char*>(data_ + offset), kKvsTagSize);
    KvsRecord record{KvsKind::Ignored, offset + kKvsTagSize,
                     static_cast<std::uint32_t>(length - kKvsTagSize)};
    if (tag == "KVSloop=") {
        if (record.length == 1) record.kind = KvsKind::Loop;
    } else if (tag == "KVSmark=") {
        if (record.length % 4 == 0) record.kind = KvsKind::Marks;
    } else if (tag == "KVSport=") {
        record.kind = KvsKind::Port;
    }
    return record;
}

void MidiLoader::ApplyKvsRecord(const KvsRecord& record, Track& track) {
    const std::uint8_t* v = data_ + record.value;
    switch (record.kind) {
        case KvsKind::Loop:
            song_.loop = v[0] != 0 ? 1 : 0;
            break;
        case KvsKind::Marks: {
            std::uint32_t n = record.length / 4;
            if (n > kMarkerCount) n = kMarkerCount;
            for (std::uint32_t i = 0; i < n; ++i)
                song_.markers[i] = LittleEndian32(v + 4 * i);
            break;
        }
        case KvsKind::Port:
            if (options_.resolvePort) {
                const std::string_view name(reinterpret_cast<const char*>(v), record.length);
                if (const auto port = options_.resolvePort(name)) track.properties.port = *port;
            }
            break;
        case KvsKind::Ignored:
            break;
    }
}

// The length and data of an F0 or F7 event at pos; false when they do not
// lie within the file.
bool MidiLoader::ReadSysexData(std::size_t pos, std::size_t* data, std::uint32_t* length) const {
    if (size_ - pos < 2) return false;
    std::size_t n = 0;
    *length = ReadVarLen(pos + 1, &n);
    if (*length == kVarLenFailed) return false;
    *data = pos + 1 + n;
    return *length <= size_ - *data;
}

// Stores the data, after an F0 when prefixF0, as a new block with its event.
bool MidiLoader::AddSysexBlock(Track& track, Tick tick, bool prefixF0, std::size_t data,
                               std::uint32_t length) {
    SysexBlock* block = nullptr;
    std::uint32_t id = 0;
    try {
        auto owned = std::make_unique<SysexBlock>();
        owned->bytes.reserve(std::size_t{length} + 1);
        if (prefixF0) owned->bytes.push_back(0xF0);
        owned->bytes.insert(owned->bytes.end(), data_ + data, data_ + data + length);
        block = owned.get();
        id = track.Sysex().Add(std::move(owned));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (id == 0) return false;
    if (!TakeLoadedEvent(track, tick, SysexMessage(id))) {
        track.Sysex().Remove(id);
        return false;
    }
    lastBlock_ = block;
    return true;
}

bool MidiLoader::ReadSysex(std::size_t* pos, Track& track, Tick tick) {
    std::size_t data = 0;
    std::uint32_t length = 0;
    if (!ReadSysexData(*pos, &data, &length)) return false;
    *pos = data + length;
    return AddSysexBlock(track, tick, true, data, length);
}

// F7: the next packet of a SysEx whose block has no F7 yet, or an escape that
// carries raw bytes. Of escapes only a whole SysEx (starting F0) is kept.
bool MidiLoader::ReadSysexPacket(std::size_t* pos, Track& track, Tick tick) {
    std::size_t data = 0;
    std::uint32_t length = 0;
    if (!ReadSysexData(*pos, &data, &length)) return false;
    *pos = data + length;
    if (lastBlock_ != nullptr && lastBlock_->bytes.back() != 0xF7) {
        try {
            lastBlock_->bytes.insert(lastBlock_->bytes.end(), data_ + data, data_ + data + length);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    if (length > 0 && data_[data] == 0xF0) return AddSysexBlock(track, tick, false, data, length);
    return true;
}

bool MidiLoader::InScanWindow(Tick tick) const {
    switch (options_.scanInit) {
        case 0:
            return tick == 0;
        case 1:
            return !scan_.noteOnSeen;
        case 2:
            return true;
        default:
            return false;
    }
}

// Takes a program, bank, volume, pan, reverb or chorus word as the track's
// initial property; all of them must share one channel.
bool MidiLoader::TakeProperty(Track& track, std::uint32_t word) {
    TrackProperties& p = track.properties;
    const std::uint8_t channel = Channel(word);
    if (scan_.channelFixed && p.channel != channel) return false;
    const std::uint8_t d1 = Data1(word);
    const std::uint8_t d2 = Data2(word);
    const auto take = [](std::int16_t& field, std::uint8_t value) {
        if (field != -1) return false;
        field = value;
        return true;
    };
    bool taken = false;
    if (Kind(word) == 0xC0) {
        taken = take(p.program, d1);
    } else if (Kind(word) == 0xB0) {
        switch (d1) {
            case 0x00:
                if (!scan_.bankMsbTaken) {
                    const int bank = p.bank < 0 ? 0 : p.bank;
                    p.bank = static_cast<std::int16_t>((bank & 0x7F) | (d2 << 7));
                    scan_.bankMsbTaken = taken = true;
                }
                break;
            case 0x20:
                if (!scan_.bankLsbTaken) {
                    const int bank = p.bank < 0 ? 0 : p.bank;
                    p.bank = static_cast<std::int16_t>((bank & 0x3F80) | d2);
                    scan_.bankLsbTaken = taken = true;
                }
                break;
            case 0x07:
                taken = take(p.volume, d2);
                break;
            case 0x0A:
                taken = take(p.pan, d2);
                break;
            case 0x5B:
                taken = take(p.reverb, d2);
                break;
            case 0x5D:
                taken = take(p.chorus, d2);
                break;
            default:
                break;
        }
    }
    if (taken) {
        scan_.channelFixed = true;
        p.channel = channel;
    }
    return taken;
}

// Routes one event read from the file: to the track's properties, to the
// song's opening tempo and meter, or into the track.
bool MidiLoader::TakeLoadedEvent(Track& track, Tick tick, std::uint32_t word) {
    if (format_ == 1) {
        if (Kind(word) == 0x90) scan_.noteOnSeen = true;
        if (InScanWindow(tick) && TakeProperty(track, word)) {
            try {
                taken_.push_back({events_.Count(), tick, word});
            } catch (const std::bad_alloc&) {
                return false;
            }
            return true;
        }
        if (tick == 0 && Status(word) == EVT_TEMPO) {
            song_.tempo = word >> 8;
            return true;
        }
        if (tick == 0 && Status(word) == EVT_TIMESIG) {
            song_.timeSigNumerator = Data1(word);
            song_.timeSigDenominatorExp = Data2(word);
            return true;
        }
    }
    return StoreEvent(tick, word);
}

// Times never go back within a chunk, so the events gather in one block in
// time order and the track keeps that block. The limits on beats and on
// events per beat are checked as they come, so a hostile file fails before
// it allocates.
inline bool MidiLoader::StoreEvent(Tick tick, std::uint32_t word) {
    if (tick >= beatEnd_ && !StartBeat(tick)) return false;
    if (events_.Count() == beatEventLimit_) return false;
    return events_.Append(Event{tick, word});
}

// One channel for a track whose messages use several would move them all onto
// it when the track is saved or played. Such a track keeps its messages as
// they stand, as if it had not been scanned.
bool MidiLoader::UndoScanIfMixed(Track& track, const TrackProperties& before) {
    if (taken_.empty() || std::popcount(channelsUsed_) < 2) return true;
    TrackProperties& p = track.properties;
    p.channel = before.channel;
    p.program = before.program;
    p.bank = before.bank;
    p.volume = before.volume;
    p.pan = before.pan;
    p.reverb = before.reverb;
    p.chorus = before.chorus;
    EventBlock merged;
    const std::size_t n = events_.Count();
    if (!merged.Reserve(n + taken_.size())) return false;
    std::size_t next = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        for (; next < taken_.size() && taken_[next].at == i; ++next)
            merged.Append(Event{taken_[next].tick, taken_[next].word});
        if (i < n) merged.Append(events_[i]);
    }
    events_ = std::move(merged);
    return true;
}

bool MidiLoader::StartBeat(Tick tick) {
    const std::uint32_t beat = tick / TICKS_PER_BEAT;
    if (beatsBefore_ + beat + 1 > options_.maxLoadBeats || beat >= kMaxTrackBeats) return false;
    beatEnd_ = (beat + 1) * TICKS_PER_BEAT;
    beatEventLimit_ = events_.Count() + BeatBucket::kMaxEvents;
    return true;
}

}  // namespace

ResultCode ReadMidiFile(std::span<const std::uint8_t> file, Song& song,
                        const LoadOptions& options) {
    static constexpr std::uint8_t kHeader[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    if (file.size() < 14 || std::memcmp(file.data(), kHeader, sizeof kHeader) != 0)
        return kErrInvalidFile;
    const std::uint16_t format = BigEndian16(file.data() + 8);
    const std::uint16_t tracks = BigEndian16(file.data() + 10);
    const std::uint16_t division = BigEndian16(file.data() + 12);
    if (format > 2 || division == 0) return kErrInvalidFile;
    return MidiLoader(file, song, options, format, division).Run(tracks);
}

}  // namespace kvs
