#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace kvs {

// A bounded first-in first-out queue for any number of producers and
// consumers that never blocks and never allocates after construction. Each
// slot carries a sequence number that says whether it is free for the
// producer of position p (sequence p) or filled for its consumer (p + 1).
//
// A consumer meets values in the order their producers reserved slots; a
// producer that reserved a slot but has not yet filled it holds back the
// values behind it (TryPop then reports empty) until it has.
//
// Close makes every later push fail with Closed, so that a bigger queue can
// take over while this one is drained.
template <typename T>
class MpmcRing {
    static_assert(std::is_trivially_copyable_v<T>, "values are copied between threads");

  public:
    enum class Push { Ok, Full, Closed };

    // Capacities below 2 cannot tell a full queue from an empty one.
    explicit MpmcRing(std::size_t capacity)
        : capacity_(capacity < 2 ? 2 : capacity), slots_(std::make_unique<Slot[]>(capacity_)) {
        for (std::size_t i = 0; i < capacity_; ++i)
            slots_[i].sequence.store(i, std::memory_order_relaxed);
    }
    MpmcRing(const MpmcRing&) = delete;
    MpmcRing& operator=(const MpmcRing&) = delete;

    std::size_t Capacity() const { return capacity_; }

    // Closed is read with acquire: whoever closes publishes something first
    // (the next ring of a chain) that a producer turned away must see.
    Push TryPush(const T& value) {
        std::uint64_t pos = tail_.load(std::memory_order_acquire);
        for (;;) {
            if (pos & kClosed) return Push::Closed;
            Slot& slot = slots_[pos % capacity_];
            const std::uint64_t sequence = slot.sequence.load(std::memory_order_acquire);
            const auto diff = static_cast<std::int64_t>(sequence - pos);
            if (diff == 0) {
                if (tail_.compare_exchange_weak(pos, pos + 1, std::memory_order_acquire)) {
                    slot.value = value;
                    slot.sequence.store(pos + 1, std::memory_order_release);
                    return Push::Ok;
                }
            } else if (diff < 0) {
                // Full, unless the ring was closed meanwhile.
                return (tail_.load(std::memory_order_acquire) & kClosed) ? Push::Closed
                                                                         : Push::Full;
            } else {
                pos = tail_.load(std::memory_order_acquire);
            }
        }
    }

    bool TryPop(T* out) {
        std::uint64_t pos = head_.load(std::memory_order_relaxed);
        for (;;) {
            Slot& slot = slots_[pos % capacity_];
            const std::uint64_t sequence = slot.sequence.load(std::memory_order_acquire);
            const auto diff = static_cast<std::int64_t>(sequence - (pos + 1));
            if (diff == 0) {
                if (head_.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
                    *out = slot.value;
                    slot.sequence.store(pos + capacity_, std::memory_order_release);
                    return true;
                }
            } else if (diff < 0) {
                return false;
            } else {
                pos = head_.load(std::memory_order_relaxed);
            }
        }
    }

    // True when the next value in order has been filled in.
    bool HeadReady() const {
        const std::uint64_t pos = head_.load(std::memory_order_acquire);
        return slots_[pos % capacity_].sequence.load(std::memory_order_acquire) == pos + 1;
    }

    void Close() { tail_.fetch_or(kClosed, std::memory_order_acq_rel); }
    bool Closed() const { return (tail_.load(std::memory_order_acquire) & kClosed) != 0; }
    // Closed, and every slot reserved before closing has been taken.
    bool Drained() const {
        const std::uint64_t tail = tail_.load(std::memory_order_acquire);
        return (tail & kClosed) != 0 && head_.load(std::memory_order_acquire) == (tail & ~kClosed);
    }

    // Reserved slots not yet taken; exact only while no one else works on it.
    std::size_t Size() const {
        const std::uint64_t tail = tail_.load(std::memory_order_acquire) & ~kClosed;
        const std::uint64_t head = head_.load(std::memory_order_acquire);
        return tail > head ? static_cast<std::size_t>(tail - head) : 0;
    }

  private:
    static constexpr std::uint64_t kClosed = std::uint64_t{1} << 63;

    struct Slot {
        std::atomic<std::uint64_t> sequence{0};
        T value{};
    };

    const std::size_t capacity_;
    std::unique_ptr<Slot[]> slots_;
    // Apart, so that producers and consumers do not share a cache line.
    alignas(64) std::atomic<std::uint64_t> tail_{0};
    alignas(64) std::atomic<std::uint64_t> head_{0};
};

}  // namespace kvs
