#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "midi/timer.h"

namespace kvs {

// A timer for tests: periods happen only when the test fires them, on the
// test's own thread.
class ManualTimer final : public PeriodicTimer {
  public:
    bool Start(Callback callback) override;
    void Stop() override { running_ = false; }
    bool Running() const override { return running_; }

    // Fires up to n periods, fewer when the callback stops the timer.
    // Returns the number fired.
    std::uint64_t Fire(std::uint64_t n);
    std::uint64_t FiredTotal() const { return fired_; }

  private:
    Callback callback_;
    std::atomic<bool> running_{false};
    std::uint64_t fired_ = 0;
};

// The clock of offline rendering: periods back to back, as fast as the work
// allows, on the caller's thread.
class OfflineClock final : public PeriodicTimer {
  public:
    bool Start(Callback callback) override;
    void Stop() override { running_ = false; }
    bool Running() const override { return running_; }

    // Runs periods until the timer stops or maxPeriods have run; after each
    // period afterPeriod (when set) runs, e.g. to render one period of audio.
    // Returns the number of periods run.
    std::uint64_t Run(std::uint64_t maxPeriods, const std::function<void()>& afterPeriod = {});

  private:
    Callback callback_;
    std::atomic<bool> running_{false};
};

}  // namespace kvs
