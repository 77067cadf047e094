#pragma once

#include <array>
#include <cstdint>

#include "model/grow_array.h"

namespace kvs {

// Remembers which notes sound and which pedals and bends are active, so that
// stopping, looping or locating can end exactly what is left on.
class NoteTracker {
public:
    static constexpr std::uint32_t kSentinel = 0xFFFFFFFF;
    // Channel flag bits.
    static constexpr std::uint32_t kBendOffCentre = 1u << 0;
    static constexpr std::uint32_t kSustain = 1u << 1;
    static constexpr std::uint32_t kPortamento = 1u << 2;
    static constexpr std::uint32_t kSostenuto = 1u << 3;
    static constexpr std::uint32_t kSoft = 1u << 4;

    NoteTracker();
    void Reset();
    void Observe(std::uint32_t message);

    const std::array<std::uint32_t, 16>& Flags() const { return flags_; }
    // Element 0 is the sentinel; sounding note keys follow in start order.
    std::uint32_t Count() const { return notes_.Count(); }
    const std::uint32_t* Data() const { return notes_.Data(); }
    // True when a note of this channel and key (message & 0xFF0F) sounds.
    bool IsSounding(std::uint32_t noteKey) const;

private:
    GrowArray<std::uint32_t> notes_{100, 100};
    std::array<std::uint32_t, 16> flags_{};
};

}  // namespace kvs
