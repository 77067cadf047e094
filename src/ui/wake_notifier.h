#pragma once

#include <cstdint>
#include <optional>

#include "midi/notifier.h"

namespace kvs {

// The lock-free notifier plus an eventfd written after each post, so the
// window thread sleeps until something arrives instead of polling. The
// write is one non-blocking system call: it neither allocates nor locks, so
// the timer thread may post.
class WakeNotifier final : public Notifier {
  public:
    WakeNotifier();
    ~WakeNotifier() override;
    WakeNotifier(const WakeNotifier&) = delete;
    WakeNotifier& operator=(const WakeNotifier&) = delete;

    void Post(std::uint32_t id, std::uint32_t code) override;
    // Reads the eventfd empty, then takes every queued notification.
    std::optional<Notification> Take();
    void ClearWake();
    // Makes the descriptor readable again (work is left over).
    void Wake();
    int Fd() const { return fd_; }  // -1 when no eventfd could be made

  private:
    FifoNotifier fifo_;
    int fd_ = -1;
};

}  // namespace kvs
