#include "model/beat_bucket.h"

#include <algorithm>
#include <cstring>

namespace kvs {

namespace {

constexpr std::uint32_t kFirstBlock = 4;
constexpr std::uint32_t kMaxCapacity = 0x10000000;  // 2 GB of events

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
    std::memcpy(p, other.data_.get(), sizeof(Event) * other.count_);
    data_.reset(p);
    count_ = other.count_;
    capacity_ = other.count_;
    return *this;
}

bool BeatBucket::Grow(std::uint32_t needed) {
    if (needed > kMaxCapacity) return false;
    std::uint32_t capacity = capacity_ < kFirstBlock ? kFirstBlock : capacity_;
    while (capacity < needed)
        capacity *= 2;
    void* p = std::realloc(data_.get(), sizeof(Event) * capacity);
    if (p == nullptr) return false;
    (void)data_.release();
    data_.reset(static_cast<Event*>(p));
    capacity_ = capacity;
    return true;
}

bool BeatBucket::InsertAt(std::uint32_t index, Event e) {
    if (index > count_) return false;
    if (count_ == capacity_ && !Grow(count_ + 1)) return false;
    Event* d = data_.get();
    std::memmove(d + index + 1, d + index, sizeof(Event) * (count_ - index));
    d[index] = e;
    ++count_;
    return true;
}

bool BeatBucket::RemoveAt(std::uint32_t index) {
    if (index >= count_) return false;
    Event* d = data_.get();
    std::memmove(d + index, d + index + 1, sizeof(Event) * (count_ - index - 1));
    --count_;
    if (capacity_ > kFirstBlock && count_ <= capacity_ / 4) {
        // A failed shrink only keeps the larger block.
        const std::uint32_t capacity = capacity_ / 2;
        void* p = std::realloc(data_.get(), sizeof(Event) * capacity);
        if (p != nullptr) {
            (void)data_.release();
            data_.reset(static_cast<Event*>(p));
            capacity_ = capacity;
        }
    }
    return true;
}

void BeatBucket::Clear() {
    data_.reset();
    count_ = 0;
    capacity_ = 0;
}

void BeatBucket::Sort() {
    std::sort(begin(), end(), EventLess);
}

}  // namespace kvs
