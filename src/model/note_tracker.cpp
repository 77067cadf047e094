#include "model/note_tracker.h"

#include "model/event.h"

namespace kvs {

NoteTracker::NoteTracker() {
    Reset();
}

void NoteTracker::Reset() {
    flags_.fill(0);
    if (notes_.SetSize(1) != nullptr) notes_.Set(0, kSentinel);
}

void NoteTracker::Observe(std::uint32_t message) {
    message = AsNoteOff(message);
    const std::uint32_t channel = Channel(message);
    switch (Kind(message)) {
        case 0x80: {
            const std::uint32_t key = NoteKey(message);
            for (std::uint32_t i = 1; i < notes_.Count(); ++i) {
                if (notes_.Get(i) == key) {
                    notes_.RemoveAt(i, 1);
                    return;
                }
            }
            return;
        }
        case 0x90: {
            // Without the sentinel the list is unusable; a failed reset left it empty.
            if (notes_.Count() == 0) return;
            const std::uint32_t n = notes_.Count();
            if (notes_.InsertAt(n, 1) != nullptr) notes_.Set(n, NoteKey(message));
            return;
        }
        case 0xB0: {
            const std::uint32_t controller = Data1(message);
            if (controller < 64 || controller > 67) return;
            const std::uint32_t bit = 1u << (controller - 64 + 1);
            if (Data2(message) >= 64)
                flags_[channel] |= bit;
            else
                flags_[channel] &= ~bit;
            return;
        }
        case 0xE0:
            if (Data1(message) == 0 && Data2(message) == 64)
                flags_[channel] &= ~kBendOffCentre;
            else
                flags_[channel] |= kBendOffCentre;
            return;
        default:
            return;
    }
}

bool NoteTracker::IsSounding(std::uint32_t noteKey) const {
    for (std::uint32_t i = 1; i < notes_.Count(); ++i)
        if (notes_.Get(i) == noteKey) return true;
    return false;
}

}  // namespace kvs
