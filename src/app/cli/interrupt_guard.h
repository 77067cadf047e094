#pragma once

#include <csignal>

namespace kvs {

// While it lives, Ctrl-C only raises a flag that the command's main loop
// reads, so the engine is stopped by the same path as at the song end.
class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool Interrupted();

  private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

}  // namespace kvs
