#include "midi/engine_sounding_notes.h"

#include "model/event.h"
#include "model/note_tracker.h"

namespace kvs {

SoundingNotes::SoundingNotes() {
    counts_.fill(0);
    order_.fill(0);
    isListed_.fill(false);
    ports_.fill(0);
    flags_.fill(0);
    flagPorts_.fill(0);
}

void SoundingNotes::Reset() {
    // Clearing only what was touched keeps a reset at every loop wrap cheap.
    if (listed_ > kSlots) listed_ = kSlots;
    for (std::uint32_t i = 0; i < listed_; ++i) {
        counts_[order_[i]] = 0;
        isListed_[order_[i]] = false;
    }
    listed_ = 0;
    flags_.fill(0);
}

void SoundingNotes::Observe(std::uint32_t message, std::uint32_t port) {
    message = AsNoteOff(message);
    const std::uint32_t channel = Channel(message);
    switch (Kind(message)) {
        case 0x80: {
            std::uint16_t& count = counts_[Slot(channel, Data1(message))];
            if (count != 0) --count;
            return;
        }
        case 0x90: {
            const std::uint32_t slot = Slot(channel, Data1(message));
            if (counts_[slot] != 0xFFFF) ++counts_[slot];
            ports_[slot] = static_cast<std::uint16_t>(port);
            if (!isListed_[slot]) {
                isListed_[slot] = true;
                order_[listed_++] = static_cast<std::uint16_t>(slot);
            }
            return;
        }
        case 0xB0: {
            const std::uint32_t controller = Data1(message);
            if (controller < 64 || controller > 67) return;
            const std::uint8_t bit = static_cast<std::uint8_t>(1u << (controller - 64 + 1));
            flagPorts_[channel] = static_cast<std::uint16_t>(port);
            if (Data2(message) >= 64)
                flags_[channel] |= bit;
            else
                flags_[channel] &= static_cast<std::uint8_t>(~bit);
            return;
        }
        case 0xE0:
            flagPorts_[channel] = static_cast<std::uint16_t>(port);
            if (Data1(message) == 0 && Data2(message) == 64)
                flags_[channel] &= static_cast<std::uint8_t>(~NoteTracker::kBendOffCentre);
            else
                flags_[channel] |= NoteTracker::kBendOffCentre;
            return;
        default:
            return;
    }
}

}  // namespace kvs
