#include "model/change_record.h"

#include <algorithm>

namespace kvs {
namespace {

bool IsPropertyEvent(std::uint32_t m) {
    if (Kind(m) == EVT_TEMPO || Kind(m) == 0xC0) return true;
    if (Kind(m) != 0xB0) return false;
    switch (Data1(m)) {
        case 0:
        case 7:
        case 10:
        case 32:
        case 91:
        case 93:
            return true;
        default:
            return false;
    }
}

std::uint8_t Seven(std::int16_t value) {
    return static_cast<std::uint8_t>(value & 0x7F);
}

}  // namespace

ChangeRecord ReadChangeRecord(const Track& track, std::uint32_t beat) {
    ChangeRecord record;
    record.beat = beat;
    record.channel = track.properties.channel;
    record.port = track.properties.port;
    const BeatBucket* bucket = track.Bucket(beat);
    if (bucket == nullptr) return record;
    for (const Event& e : *bucket) {
        if (e.offset != 0) continue;
        const std::uint32_t m = e.message;
        const auto value = static_cast<std::int16_t>(Data2(m) & 0x7F);
        const std::int16_t bank = record.bank < 0 ? 0 : record.bank;
        if (Kind(m) == EVT_TEMPO) {
            record.tempo =
                static_cast<std::uint16_t>(std::min<std::uint32_t>(m >> 8, kNoTempo - 1));
        } else if (Kind(m) == 0xC0) {
            record.program = static_cast<std::int16_t>(Data1(m) & 0x7F);
        } else if (Kind(m) == 0xB0) {
            switch (Data1(m)) {
                case 0:
                    record.bank = static_cast<std::int16_t>((value << 7) | (bank & 0x7F));
                    break;
                case 32:
                    record.bank = static_cast<std::int16_t>((bank & 0x3F80) | value);
                    break;
                case 7:
                    record.volume = value;
                    break;
                case 10:
                    record.pan = value;
                    break;
                case 91:
                    record.reverb = value;
                    break;
                case 93:
                    record.chorus = value;
                    break;
                default:
                    break;
            }
        }
    }
    return record;
}

bool ApplyChangeRecord(Track& track, const ChangeRecord& record) {
    if (BeatBucket* bucket = track.Bucket(record.beat)) {
        for (std::uint32_t i = bucket->Count(); i-- > 0;) {
            const Event& e = (*bucket)[i];
            if (e.offset == 0 && IsPropertyEvent(e.message)) track.DeleteEvent(record.beat, i);
        }
    }
    if (record.beat >= kMaxTrackBeats) return false;
    const Tick tick = record.beat * TICKS_PER_BEAT;
    const std::uint8_t channel = record.channel == kNoChannel ? 0 : record.channel & 0x0F;
    const std::uint8_t cc = 0xB0 | channel;
    bool ok = true;
    auto add = [&](std::uint32_t message) { ok = track.AddEvent(tick, message) && ok; };
    if (record.tempo != kNoTempo) add(EVT_TEMPO | std::uint32_t{record.tempo} << 8);
    if (record.bank >= 0) {
        add(PackMessage(cc, 0, static_cast<std::uint8_t>((record.bank >> 7) & 0x7F)));
        add(PackMessage(cc, 32, Seven(record.bank)));
    }
    if (record.volume >= 0) add(PackMessage(cc, 7, Seven(record.volume)));
    if (record.pan >= 0) add(PackMessage(cc, 10, Seven(record.pan)));
    if (record.reverb >= 0) add(PackMessage(cc, 91, Seven(record.reverb)));
    if (record.chorus >= 0) add(PackMessage(cc, 93, Seven(record.chorus)));
    if (record.program >= 0) add(PackMessage(0xC0 | channel, Seven(record.program)));
    if (BeatBucket* bucket = track.Bucket(record.beat)) SortBucket(*bucket);
    return ok;
}

}  // namespace kvs
