#include "midi/engine_sounding_notes.h"

#include "model/event.h"
#include "model/note_tracker.h"

namespace kvs {

SoundingNotes::SoundingNotes() {
    counts_.fill(0);
    next_.fill(kEnd);
    prev_.fill(kEnd);
    ports_.fill(0);
    flags_.fill(0);
    flagPorts_.fill(0);
}

void SoundingNotes::Reset() {
    // Clearing only what sounds keeps a reset at every loop wrap cheap.
    for (std::uint32_t slot = next_[kEnd]; slot != kEnd; slot = next_[slot])
        counts_[slot] = 0;
    next_[kEnd] = prev_[kEnd] = kEnd;
    flags_.fill(0);
}

void SoundingNotes::Link(std::uint32_t slot) {
    const std::uint32_t last = prev_[kEnd];
    next_[slot] = kEnd;
    prev_[slot] = static_cast<std::uint16_t>(last);
    next_[last] = static_cast<std::uint16_t>(slot);
    prev_[kEnd] = static_cast<std::uint16_t>(slot);
}

void SoundingNotes::Unlink(std::uint32_t slot) {
    next_[prev_[slot]] = next_[slot];
    prev_[next_[slot]] = prev_[slot];
}

void SoundingNotes::Observe(std::uint32_t message, std::uint32_t port) {
    message = AsNoteOff(message);
    const std::uint32_t channel = Channel(message);
    switch (Kind(message)) {
        case 0x80: {
            const std::uint32_t slot = Slot(channel, Data1(message));
            if (counts_[slot] != 0 && --counts_[slot] == 0) Unlink(slot);
            return;
        }
        case 0x90: {
            const std::uint32_t slot = Slot(channel, Data1(message));
            if (counts_[slot] == 0) Link(slot);
            if (counts_[slot] != 0xFFFF) ++counts_[slot];
            ports_[slot] = static_cast<std::uint16_t>(port);
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
