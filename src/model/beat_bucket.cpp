#include "model/beat_bucket.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kvs {

namespace {

constexpr std::uint32_t kFirstBlock = 4;

}  // namespace

BeatBucket::BeatBucket(const BeatBucket& other) {
    *this = other;
}

BeatBucket& BeatBucket::operator=(const BeatBucket& other) {
    if (this == &other) return *this;
    Clear();
    if (other.count_ == 0) return *this;
    auto* p = static_cast<Event*>(std::malloc(sizeof(Event) * other.count_));
    if (p == nullptr) return *this;  // the copy stays empty; callers compare counts
    std::memcpy(p, other.data_, sizeof(Event) * other.count_);
    data_ = p;
    count_ = other.count_;
    capacity_ = other.count_;
    return *this;
}

BeatBucket::BeatBucket(BeatBucket&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      count_(std::exchange(other.count_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

BeatBucket& BeatBucket::operator=(BeatBucket&& other) noexcept {
    if (this == &other) return *this;
    Release();
    data_ = std::exchange(other.data_, nullptr);
    count_ = std::exchange(other.count_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
}

void BeatBucket::Release() {
    if (!Borrowed()) std::free(data_);
}

bool BeatBucket::Grow(std::uint32_t needed) {
    if (needed > kMaxEvents) return false;
    const std::uint32_t current = Capacity();
    std::uint32_t capacity = current < kFirstBlock ? kFirstBlock : current;
    while (capacity < needed)
        capacity *= 2;
    if (capacity > kMaxEvents) capacity = kMaxEvents;
    if (Borrowed()) {
        // The lender's block cannot be resized: move into a block of our own.
        auto* p = static_cast<Event*>(std::malloc(sizeof(Event) * capacity));
        if (p == nullptr) return false;
        if (count_ != 0) std::memcpy(p, data_, sizeof(Event) * count_);
        data_ = p;
    } else {
        void* p = std::realloc(data_, sizeof(Event) * capacity);
        if (p == nullptr) return false;
        data_ = static_cast<Event*>(p);
    }
    capacity_ = capacity;
    return true;
}

bool BeatBucket::InsertAt(std::uint32_t index, Event e) {
    if (index > count_) return false;
    if (count_ == Capacity() && !Grow(count_ + 1)) return false;
    std::memmove(data_ + index + 1, data_ + index, sizeof(Event) * (count_ - index));
    data_[index] = e;
    ++count_;
    return true;
}

bool BeatBucket::RemoveAt(std::uint32_t index) {
    if (index >= count_) return false;
    std::memmove(data_ + index, data_ + index + 1, sizeof(Event) * (count_ - index - 1));
    --count_;
    // A borrowed block keeps its size; it goes when its lender goes.
    if (!Borrowed() && capacity_ > kFirstBlock && count_ <= capacity_ / 4) {
        // A failed shrink only keeps the larger block.
        const std::uint32_t capacity = capacity_ / 2;
        void* p = std::realloc(data_, sizeof(Event) * capacity);
        if (p != nullptr) {
            data_ = static_cast<Event*>(p);
            capacity_ = capacity;
        }
    }
    return true;
}

void BeatBucket::Clear() {
    Release();
    data_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

void BeatBucket::Sort() {
    std::sort(begin(), end(), EventLess);
}

}  // namespace kvs
