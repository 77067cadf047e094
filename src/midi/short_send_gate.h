#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "midi/mpmc_ring.h"

namespace kvs {

// Lets one thread at a time at a device that is not safe for concurrent
// senders, without making a short message wait: a sender that finds the gate
// taken leaves its message in a ring, and whoever holds the gate delivers
// the ring's messages before its own and again before it lets go. A thread's
// messages keep their order; a full ring drops and counts.
class ShortSendGate {
  public:
    explicit ShortSendGate(std::size_t capacity) : pending_(capacity) {}
    ShortSendGate(const ShortSendGate&) = delete;
    ShortSendGate& operator=(const ShortSendGate&) = delete;

    // Never blocks. deliver(message) runs with the gate held, possibly on
    // another thread that sends later. False when the ring was full and the
    // message is dropped.
    template <typename Deliver>
    bool Send(std::uint32_t message, Deliver&& deliver) {
        bool kept = true;
        std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) {
            kept = Push(message);
            // The holder may have let go before our push showed: look once more.
            Handshake();
            if (lock.try_lock()) Release(lock, deliver);
            return kept;
        }
        Drain(deliver);
        // A slot another sender has taken but not filled yet stops the drain;
        // ours then queues behind it for whoever holds the gate next.
        if (pending_.Size() == 0) {
            deliver(message);
        } else {
            kept = Push(message);
        }
        Release(lock, deliver);
        return kept;
    }

    // Waits for the gate, then runs work with it held: for threads that may
    // wait (long messages, bookkeeping).
    template <typename Work, typename Deliver>
    void Hold(Work&& work, Deliver&& deliver) {
        std::unique_lock<std::mutex> lock(mutex_);
        Drain(deliver);
        work();
        Release(lock, deliver);
    }

    std::size_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    bool Push(std::uint32_t message) {
        if (pending_.TryPush(message) == MpmcRing<std::uint32_t>::Push::Ok) return true;
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }

    // Delivers at most what waits now, so that a thread flooding the ring
    // cannot keep the holder here.
    template <typename Deliver>
    void Drain(Deliver& deliver) {
        std::uint32_t message = 0;
        for (std::size_t n = pending_.Size(); n != 0 && pending_.TryPop(&message); --n)
            deliver(message);
    }

    // A message pushed while we let go is sent by us unless someone else
    // took the gate meanwhile, who then does the same. The rounds are
    // bounded by one ring's worth: past that a flood is under way, and its
    // next sender takes over what is left.
    template <typename Deliver>
    void Release(std::unique_lock<std::mutex>& lock, Deliver& deliver) {
        std::size_t budget = pending_.Capacity();
        for (;;) {
            const std::size_t before = pending_.Size();
            Drain(deliver);
            budget -= std::min(budget, before);
            lock.unlock();
            Handshake();
            if (budget == 0 || !pending_.HeadReady() || !lock.try_lock()) return;
        }
    }

    // Orders a push before a look at the mutex against a release of the
    // mutex before a look at the ring (a fence that the race checker sees):
    // of two threads doing both, at least one sees the other.
    void Handshake() { handshake_.fetch_add(1, std::memory_order_acq_rel); }

    std::mutex mutex_;
    std::atomic<std::uint32_t> handshake_{0};
    MpmcRing<std::uint32_t> pending_;
    std::atomic<std::size_t> dropped_{0};
};

}  // namespace kvs
