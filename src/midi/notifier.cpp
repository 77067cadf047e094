#include "midi/notifier.h"

namespace kvs {

FifoNotifier::FifoNotifier(std::size_t capacity) : ring_(capacity) {}

void FifoNotifier::Post(std::uint32_t id, std::uint32_t code) {
    if (ring_.TryPush(Notification{id, code}) != MpmcRing<Notification>::Push::Ok)
        dropped_.fetch_add(1, std::memory_order_relaxed);
}

std::optional<Notification> FifoNotifier::Take() {
    Notification n;
    if (!ring_.TryPop(&n)) return std::nullopt;
    return n;
}

std::vector<Notification> FifoNotifier::TakeAll() {
    std::vector<Notification> all;
    while (auto n = Take())
        all.push_back(*n);
    return all;
}

std::size_t FifoNotifier::Dropped() const {
    return dropped_.load(std::memory_order_relaxed);
}

}  // namespace kvs
