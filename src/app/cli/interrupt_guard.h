#pragma once

#include <csignal>

namespace kvs {

// While it lives, Ctrl-C, SIGTERM and SIGHUP only raise a flag that the
// command's main loop reads, so the engine is stopped by the same path as at
// the song end: notes released, the log and the take written.
class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool Interrupted();

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[3]{};
    bool installed_[3] = {};
};

}  // namespace kvs
