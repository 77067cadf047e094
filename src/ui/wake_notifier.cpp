#include "ui/wake_notifier.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace kvs {

WakeNotifier::WakeNotifier() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeNotifier::~WakeNotifier() {
    if (fd_ >= 0) close(fd_);
}

void WakeNotifier::Post(std::uint32_t id, std::uint32_t code) {
    fifo_.Post(id, code);
    Wake();
}

void WakeNotifier::Wake() {
    if (fd_ < 0) return;
    const std::uint64_t one = 1;
    // Non-blocking; a full counter already means "wake up".
    (void)!write(fd_, &one, sizeof one);
}

void WakeNotifier::ClearWake() {
    if (fd_ < 0) return;
    std::uint64_t count = 0;
    (void)!read(fd_, &count, sizeof count);
}

std::optional<Notification> WakeNotifier::Take() {
    return fifo_.Take();
}

}  // namespace kvs
