#include "midi/timer_thread.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace kvs {

namespace {

// The timer whose thread is the current one, so that a Stop from inside the
// callback knows not to join itself.
thread_local const ThreadTimer* currentTimer = nullptr;

constexpr long kNanosPerSecond = 1000000000L;

void AddNanos(timespec& t, long ns) {
    t.tv_nsec += ns;
    while (t.tv_nsec >= kNanosPerSecond) {
        t.tv_nsec -= kNanosPerSecond;
        ++t.tv_sec;
    }
}

bool NotBefore(const timespec& a, const timespec& b) {
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
}

// Real-time scheduling keeps the deadlines when other processes load every
// core; without the privilege the thread quietly stays an ordinary one.
bool AskForRealtime() {
    sched_param param{};
    const int lowest = sched_get_priority_min(SCHED_FIFO);
    const int highest = sched_get_priority_max(SCHED_FIFO);
    if (lowest < 0 || highest < lowest) return false;
    param.sched_priority = lowest + (highest - lowest) / 4;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

}  // namespace

ThreadTimer::ThreadTimer(std::uint32_t periodMicroseconds)
    : periodNs_(periodMicroseconds == 0 ? 1000 : periodMicroseconds * 1000) {}

ThreadTimer::~ThreadTimer() {
    Stop();
}

bool ThreadTimer::Start(Callback callback) {
    Stop();
    if (!callback) return false;
    callback_ = std::move(callback);
    stop_ = false;
    running_ = true;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    return true;
}

void ThreadTimer::Stop() {
    stop_ = true;
    if (currentTimer == this) return;
    if (thread_.joinable()) thread_.join();
    running_ = false;
}

void ThreadTimer::Run() {
    currentTimer = this;
    realtime_ = AskForRealtime();
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    while (!stop_) {
        AddNanos(deadline, periodNs_);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
        }
        if (stop_) break;
        callback_();
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::uint32_t madeUp = 0;
        for (;;) {
            timespec next = deadline;
            AddNanos(next, periodNs_);
            if (!NotBefore(now, next) || stop_) break;
            if (madeUp == kMaxMadeUp) {
                deadline = now;
                break;
            }
            deadline = next;
            callback_();
            ++madeUp;
            clock_gettime(CLOCK_MONOTONIC, &now);
        }
    }
    running_ = false;
    currentTimer = nullptr;
}

}  // namespace kvs
