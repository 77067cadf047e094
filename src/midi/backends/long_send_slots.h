#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "midi/mpmc_ring.h"

namespace kvs {

// Long messages on their way from any sender to a port's own worker thread,
// in a fixed set of slots reserved when the port opens: a sender takes no
// lock and allocates nothing (moving the completion into its slot keeps the
// callable's storage), and the worker sleeps until a slot is handed over.
class LongSendSlots {
  public:
    struct Job {
        std::span<const std::uint8_t> bytes;
        std::function<void()> done;
        std::uint64_t ticket = 0;  // for the port's own ordering
    };

    explicit LongSendSlots(std::size_t count)
        : jobs_(std::make_unique<Job[]>(count)), free_(count), ready_(count) {
        for (std::uint32_t i = 0; i < count; ++i)
            free_.TryPush(i);
    }
    LongSendSlots(const LongSendSlots&) = delete;
    LongSendSlots& operator=(const LongSendSlots&) = delete;

    // Any thread: a free slot, or false when every slot is in use.
    bool Acquire(std::uint32_t* index) { return free_.TryPop(index); }
    Job& At(std::uint32_t index) { return jobs_[index]; }
    // Gives an unused slot back (the sender changed its mind).
    void Release(std::uint32_t index) {
        jobs_[index].done = nullptr;
        free_.TryPush(index);
    }
    // Any thread: hands the filled slot to the worker. Never fails, since
    // the ready ring has room for every slot.
    void Publish(std::uint32_t index) {
        ready_.TryPush(index);
        Wake();
    }

    // Worker: the next slot handed over, waiting for one; false once Stop
    // was called and nothing is left. Slots handed over before Stop are
    // still returned, so that each one's completion runs.
    bool Next(std::uint32_t* index) {
        for (;;) {
            const std::uint32_t seen = wake_.load(std::memory_order_acquire);
            if (ready_.TryPop(index)) return true;
            if (stopping_.load(std::memory_order_acquire)) return false;
            wake_.wait(seen, std::memory_order_acquire);
        }
    }
    bool Stopping() const { return stopping_.load(std::memory_order_acquire); }
    void Stop() {
        stopping_.store(true, std::memory_order_release);
        Wake();
    }

  private:
    // A futex wake: no lock, no allocation.
    void Wake() {
        wake_.fetch_add(1, std::memory_order_acq_rel);
        wake_.notify_one();
    }

    std::unique_ptr<Job[]> jobs_;
    MpmcRing<std::uint32_t> free_;
    MpmcRing<std::uint32_t> ready_;
    std::atomic<std::uint32_t> wake_{0};
    std::atomic<bool> stopping_{false};
};

}  // namespace kvs
