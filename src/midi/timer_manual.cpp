#include "midi/timer_manual.h"

#include <utility>

namespace kvs {

bool ManualTimer::Start(Callback callback) {
    callback_ = std::move(callback);
    running_ = static_cast<bool>(callback_);
    return running_;
}

std::uint64_t ManualTimer::Fire(std::uint64_t n) {
    std::uint64_t fired = 0;
    while (fired < n && running_) {
        callback_();
        ++fired;
        ++fired_;
    }
    return fired;
}

bool OfflineClock::Start(Callback callback) {
    callback_ = std::move(callback);
    running_ = static_cast<bool>(callback_);
    return running_;
}

std::uint64_t OfflineClock::Run(std::uint64_t maxPeriods,
                                const std::function<void()>& afterPeriod) {
    std::uint64_t periods = 0;
    while (periods < maxPeriods && running_) {
        callback_();
        ++periods;
        if (afterPeriod) afterPeriod();
    }
    return periods;
}

}  // namespace kvs
