#include "midi/notifier.h"

namespace kvs {

FifoNotifier::FifoNotifier(std::size_t capacity) : ring_(capacity == 0 ? 1 : capacity) {}

void FifoNotifier::Post(std::uint32_t id, std::uint32_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == ring_.size()) {
        ++dropped_;
        return;
    }
    ring_[(head_ + count_) % ring_.size()] = Notification{id, code};
    ++count_;
}

std::optional<Notification> FifoNotifier::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == 0) return std::nullopt;
    const Notification n = ring_[head_];
    head_ = (head_ + 1) % ring_.size();
    --count_;
    return n;
}

std::vector<Notification> FifoNotifier::TakeAll() {
    std::vector<Notification> all;
    while (auto n = Take())
        all.push_back(*n);
    return all;
}

std::size_t FifoNotifier::Dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

}  // namespace kvs
