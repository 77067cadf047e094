#include "model/event_block.h"

#include <cstdlib>
#include <utility>

namespace kvs {

namespace {

constexpr std::size_t kFirstBlock = 256;
constexpr std::size_t kMaxBlock = SIZE_MAX / sizeof(Event) / 2;

}  // namespace

EventBlock::EventBlock(EventBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      count_(std::exchange(other.count_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

EventBlock& EventBlock::operator=(EventBlock&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    data_ = std::exchange(other.data_, nullptr);
    count_ = std::exchange(other.count_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
}

bool EventBlock::Grow(std::size_t needed) {
    if (needed > kMaxBlock) return false;
    std::size_t capacity = capacity_ < kFirstBlock ? kFirstBlock : capacity_;
    while (capacity < needed)
        capacity *= 2;
    return Resize(capacity);
}

bool EventBlock::Resize(std::size_t capacity) {
    if (capacity > kMaxBlock) return false;
    void* p = std::realloc(data_, sizeof(Event) * capacity);
    if (p == nullptr) return false;
    data_ = static_cast<Event*>(p);
    capacity_ = capacity;
    return true;
}

void EventBlock::ShrinkToFit() {
    if (count_ == capacity_) return;
    if (count_ == 0) {
        Clear();
        return;
    }
    Resize(count_);
}

void EventBlock::Clear() {
    std::free(data_);
    data_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

}  // namespace kvs
