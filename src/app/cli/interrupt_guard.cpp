#include "app/cli/interrupt_guard.h"

#include <atomic>

namespace kvs {
namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    g_interrupted.store(true);
}

}  // namespace

InterruptGuard::InterruptGuard() {
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i)
        installed_[i] = sigaction(kSignals[i], &action, &previous_[i]) == 0;
}

InterruptGuard::~InterruptGuard() {
    for (int i = 0; i < 3; ++i)
        if (installed_[i]) sigaction(kSignals[i], &previous_[i], nullptr);
}

bool InterruptGuard::Interrupted() {
    return g_interrupted.load();
}

}  // namespace kvs
