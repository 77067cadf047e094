#pragma once

#include <array>
#include <cstdint>

namespace kvs {

// Which notes of one track sound and which pedals and bends it left changed,
// in fixed storage: observing a message never allocates, so the timer
// thread can keep it. A key struck twice without a note off counts twice.
class SoundingNotes {
  public:
    static constexpr std::uint32_t kSlots = 16 * 128;

    SoundingNotes();
    void Reset();
    // port: where the message went; the release goes there too, even when
    // the track has been moved to another port since.
    void Observe(std::uint32_t message, std::uint32_t port);

    std::uint32_t Count(std::uint32_t channel, std::uint32_t key) const {
        return counts_[Slot(channel, key)];
    }
    std::uint32_t Flags(std::uint32_t channel) const { return flags_[channel & 0xF]; }

    // Calls send(message, port) with every message that ends what sounds: a note off
    // (velocity 64) per sounding note, keys in the order they started to
    // sound (a key struck again while it sounds keeps its place), then per
    // channel sustain, portamento, sostenuto and soft pedal off and the pitch
    // bend centred, each only where it was changed.
    template <typename Send>
    void ForEachRelease(Send&& send) const {
        for (std::uint32_t slot = next_[kEnd]; slot != kEnd; slot = next_[slot]) {
            const std::uint32_t message = 0x400080u | (slot >> 7) | ((slot & 0x7F) << 8);
            for (std::uint32_t n = counts_[slot]; n != 0; --n)
                send(message, ports_[slot]);
        }
        for (std::uint32_t ch = 0; ch < 16; ++ch) {
            const std::uint32_t f = flags_[ch];
            for (std::uint32_t bit = 1; bit <= 4; ++bit)
                if (f & (1u << bit)) send(0xB0u + ch + ((0x3Fu + bit) << 8), flagPorts_[ch]);
            if (f & 1u) send(0xE0u + ch + (0x40u << 16), flagPorts_[ch]);
        }
    }

  private:
    static constexpr std::uint32_t Slot(std::uint32_t channel, std::uint32_t key) {
        return ((channel & 0xF) << 7) | (key & 0x7F);
    }
    void Link(std::uint32_t slot);
    void Unlink(std::uint32_t slot);

    // The list's head and tail live in the extra entry kEnd.
    static constexpr std::uint32_t kEnd = kSlots;

    std::array<std::uint16_t, kSlots> counts_;
    // The sounding slots, oldest start first: a slot joins the tail when its
    // count leaves 0 and leaves the list when it returns to 0.
    std::array<std::uint16_t, kSlots + 1> next_;
    std::array<std::uint16_t, kSlots + 1> prev_;
    std::array<std::uint16_t, kSlots> ports_;
    std::array<std::uint8_t, 16> flags_;
    std::array<std::uint16_t, 16> flagPorts_;
};

}  // namespace kvs
