#pragma once

#include <cstdint>
#include <vector>

namespace kvs {

class Song;

// What is in force at a position, gathered for sending before playback
// starts in the middle of a song: for each output port, 16 channels of 132
// packed messages (controllers by number, then program, channel pressure,
// pitch bend, and a slot the song-wide tempo and time signature borrow).
class ChaseTable {
  public:
    static constexpr std::uint32_t kChannels = 16;
    static constexpr std::uint32_t kSlots = 132;
    static constexpr std::uint32_t kProgramSlot = 128;
    static constexpr std::uint32_t kPressureSlot = 129;
    static constexpr std::uint32_t kBendSlot = 130;
    static constexpr std::uint32_t kSongSlot = 131;  // port 0: channel 0 tempo, 1 signature
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

    // Every slot empty. False (and no ports) when memory runs out.
    bool Allocate(std::uint32_t ports);
    std::uint32_t Ports() const { return ports_; }

    // kEmpty for a slot beyond the table.
    std::uint32_t Get(std::uint32_t port, std::uint32_t channel, std::uint32_t slot) const;
    // Fills the slot when it is empty and inside the table; a filled slot
    // keeps its value.
    void Keep(std::uint32_t port, std::uint32_t channel, std::uint32_t slot, std::uint32_t value);
    void Set(std::uint32_t port, std::uint32_t channel, std::uint32_t slot, std::uint32_t value);

    std::uint32_t Tempo() const { return Get(0, 0, kSongSlot); }
    std::uint32_t Signature() const { return Get(0, 1, kSongSlot); }
    std::uint32_t SignatureBeat() const { return signatureBeat_; }

    // Walks back from the beat before beat to beat 0, so that every slot
    // holds the latest value before the position (within one beat, the
    // lowest-numbered track's).
    void Scan(const Song& song, std::uint32_t beat);
    // Fills what the scan left empty from the tracks' initial properties and
    // the song's tempo and signature.
    void FillDefaults(const Song& song);

  private:
    static bool Inside(std::uint32_t channel, std::uint32_t slot) {
        return channel < kChannels && slot < kSlots;
    }
    std::size_t Index(std::uint32_t port, std::uint32_t channel, std::uint32_t slot) const {
        return (static_cast<std::size_t>(port) * kChannels + channel) * kSlots + slot;
    }

    std::vector<std::uint32_t> slots_;
    std::uint32_t ports_ = 0;
    std::uint32_t signatureBeat_ = 0;
};

}  // namespace kvs
