#include "midi/chase_table.h"

#include <new>

#include "model/song.h"

namespace kvs {

bool ChaseTable::Allocate(std::uint32_t ports) {
    ports_ = 0;
    try {
        slots_.assign(static_cast<std::size_t>(ports) * kChannels * kSlots, kEmpty);
    } catch (const std::bad_alloc&) {
        slots_.clear();
        return false;
    }
    ports_ = ports;
    signatureBeat_ = 0;
    return true;
}

std::uint32_t ChaseTable::Get(std::uint32_t port, std::uint32_t channel, std::uint32_t slot) const {
    if (port >= ports_ || !Inside(channel, slot)) return kEmpty;
    return slots_[Index(port, channel, slot)];
}

void ChaseTable::Keep(std::uint32_t port, std::uint32_t channel, std::uint32_t slot,
                      std::uint32_t value) {
    if (port >= ports_ || !Inside(channel, slot)) return;
    std::uint32_t& s = slots_[Index(port, channel, slot)];
    if (s == kEmpty) s = value;
}

void ChaseTable::Set(std::uint32_t port, std::uint32_t channel, std::uint32_t slot,
                     std::uint32_t value) {
    if (port >= ports_ || !Inside(channel, slot)) return;
    slots_[Index(port, channel, slot)] = value;
}

void ChaseTable::Scan(const Song& song, std::uint32_t beat) {
    for (std::uint32_t b = beat; b-- > 0;) {
        for (std::uint32_t i = 0; i < song.TrackCount(); ++i) {
            const Track* track = song.GetTrack(i);
            const BeatBucket* bucket = track->Bucket(b);
            if (bucket == nullptr) continue;
            const std::uint32_t port = track->properties.port;
            const std::uint16_t channel = track->properties.channel;
            for (std::uint32_t e = bucket->Count(); e-- > 0;) {
                std::uint32_t message = (*bucket)[e].message;
                const std::uint8_t kind = Kind(message);
                if (kind >= 0x80 && kind <= 0xE0 && channel != kNoChannel)
                    message = (message & ~0xFu) | (channel & 0xFu);
                const std::uint8_t ch = Channel(message);
                switch (kind) {
                    case EVT_TEMPO:
                        Keep(0, 0, kSongSlot, message);
                        break;
                    case EVT_TIMESIG:
                        if (Signature() == kEmpty && ports_ > 0) {
                            Set(0, 1, kSongSlot, message);
                            signatureBeat_ = b;
                        }
                        break;
                    case 0xB0:
                        // A stored data byte above 127 names no controller.
                        if (Data1(message) < kProgramSlot) Keep(port, ch, Data1(message), message);
                        break;
                    case 0xC0:
                        Keep(port, ch, kProgramSlot, message);
                        break;
                    case 0xD0:
                        Keep(port, ch, kPressureSlot, message);
                        break;
                    case 0xE0:
                        Keep(port, ch, kBendSlot, message);
                        break;
                    default:
                        break;
                }
            }
        }
    }
}

void ChaseTable::FillDefaults(const Song& song) {
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i) {
        const TrackProperties& p = song.GetTrack(i)->properties;
        const std::uint32_t port = p.port;
        if (p.channel != kNoChannel) {
            const std::uint8_t ch = static_cast<std::uint8_t>(p.channel & 0xF);
            const auto control = [&](std::uint8_t number, std::uint32_t value) {
                return PackMessage(static_cast<std::uint8_t>(0xB0 | ch), number,
                                   static_cast<std::uint8_t>(value & 0x7F));
            };
            if (p.bank >= 0 && Get(port, ch, 0) == kEmpty) {
                const std::uint32_t bank = static_cast<std::uint32_t>(p.bank);
                Set(port, ch, 0, control(0x00, bank >> 7));
                Set(port, ch, 32, control(0x20, bank));
            }
            if (p.program >= 0)
                Keep(port, ch, kProgramSlot,
                     PackMessage(static_cast<std::uint8_t>(0xC0 | ch),
                                 static_cast<std::uint8_t>(p.program & 0x7F)));
            if (p.volume >= 0) Keep(port, ch, 0x07, control(0x07, p.volume));
            if (p.pan >= 0) Keep(port, ch, 0x0A, control(0x0A, p.pan));
            if (p.reverb >= 0) Keep(port, ch, 0x5B, control(0x5B, p.reverb));
            if (p.chorus >= 0) Keep(port, ch, 0x5D, control(0x5D, p.chorus));
        }
        const std::uint32_t first = p.channel != kNoChannel ? (p.channel & 0xFu) : 0;
        const std::uint32_t last = p.channel != kNoChannel ? first : kChannels - 1;
        for (std::uint32_t ch = first; ch <= last; ++ch) {
            Keep(port, ch, kPressureSlot, PackMessage(static_cast<std::uint8_t>(0xD0 | ch)));
            Keep(port, ch, kBendSlot, PackMessage(static_cast<std::uint8_t>(0xE0 | ch), 0, 0x40));
        }
        if (i == 0) {
            Keep(0, 0, kSongSlot, EVT_TEMPO | (song.tempo << 8));
            if (Signature() == kEmpty && ports_ > 0) {
                Set(0, 1, kSongSlot,
                    EVT_TIMESIG | ((song.timeSigNumerator & 0xFF) << 8) |
                        ((song.timeSigDenominatorExp & 0xFF) << 16));
                signatureBeat_ = 0;
            }
        }
    }
}

}  // namespace kvs
