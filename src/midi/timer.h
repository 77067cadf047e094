#pragma once

#include <cstdint>
#include <functional>

namespace kvs {

inline constexpr std::uint32_t TIMER_PERIOD_MS = 3;

// Calls a function once per period on a thread that is not the window
// thread (for the test timers: on the thread that drives them).
class PeriodicTimer {
  public:
    using Callback = std::function<void()>;
    virtual ~PeriodicTimer() = default;
    // Begins calling callback, the first call one period from now. A timer
    // still running is stopped first. False when it cannot start.
    virtual bool Start(Callback callback) = 0;
    // After Stop returns no further call begins. Called from inside the
    // callback it returns at once and the current call is the last.
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
};

}  // namespace kvs
