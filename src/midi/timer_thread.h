#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "midi/timer.h"

namespace kvs {

// The real timer: its own thread sleeping to absolute deadlines one period
// apart. Periods missed because the thread ran late are made up at once, so
// the number of calls follows the wall clock (up to a limit, below).
class ThreadTimer final : public PeriodicTimer {
  public:
    explicit ThreadTimer(std::uint32_t periodMicroseconds = TIMER_PERIOD_MS * 1000);
    ~ThreadTimer() override;
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

    bool Start(Callback callback) override;
    void Stop() override;
    bool Running() const override { return running_; }

    // Whether the last start obtained real-time scheduling for its thread.
    bool Realtime() const { return realtime_; }
    // A stall longer than this many periods (a suspended machine, a debugger)
    // is not made up: the clock restarts from the present.
    static constexpr std::uint32_t kMaxMadeUp = 100;

  private:
    void Run();

    const std::uint32_t periodNs_;
    Callback callback_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> realtime_{false};
};

}  // namespace kvs
