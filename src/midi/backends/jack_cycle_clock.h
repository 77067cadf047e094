#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace kvs {

// Counts the JACK server's process cycles through a client of its own (no
// ports), so that output can be paced to what a cycle takes. Shared by a
// layer's output ports.
class JackCycleClock {
  public:
    // Null when no client can be opened on the server.
    static std::shared_ptr<JackCycleClock> Open();
    JackCycleClock() = default;  // counts nothing until opened
    ~JackCycleClock();
    JackCycleClock(const JackCycleClock&) = delete;
    JackCycleClock& operator=(const JackCycleClock&) = delete;

    // Any thread; lock-free.
    std::uint64_t Cycles() const { return cycles_.load(std::memory_order_acquire); }
    // False once the server shut our client down: cycles stop for good.
    bool Alive() const { return alive_.load(std::memory_order_acquire); }

  private:
    static int Process(std::uint32_t frames, void* self);
    static void Shutdown(void* self);

    void* client_ = nullptr;  // jack_client_t, kept out of this header
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<bool> alive_{true};
};

}  // namespace kvs
