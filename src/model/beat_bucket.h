#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "model/event.h"

namespace kvs {

// All events of one track in one beat. Capacity grows geometrically from a
// small first block: nothing outside can see it, and a beat holding one
// event should not cost the 800 bytes of a 100-event step.
class BeatBucket {
public:
    BeatBucket() = default;
    BeatBucket(const BeatBucket& other);
    BeatBucket& operator=(const BeatBucket& other);
    BeatBucket(BeatBucket&&) noexcept = default;
    BeatBucket& operator=(BeatBucket&&) noexcept = default;

    std::uint32_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    Event* Data() { return data_.get(); }
    const Event* Data() const { return data_.get(); }
    Event& operator[](std::uint32_t i) { return data_.get()[i]; }
    const Event& operator[](std::uint32_t i) const { return data_.get()[i]; }
    const Event* begin() const { return data_.get(); }
    const Event* end() const { return data_.get() + count_; }
    Event* begin() { return data_.get(); }
    Event* end() { return data_.get() + count_; }

    // Appends one event; false only when memory runs out.
    bool Append(Event e) {
        if (count_ == capacity_ && !Grow(count_ + 1)) return false;
        data_.get()[count_++] = e;
        return true;
    }
    // Inserts at index (index == Count() appends); false when index > Count().
    bool InsertAt(std::uint32_t index, Event e);
    // Removes the event at index; false when index >= Count().
    bool RemoveAt(std::uint32_t index);
    // Makes room for at least n events in total.
    bool Reserve(std::uint32_t n) { return n <= capacity_ || Grow(n); }
    void Clear();
    // Sorts with EventLess.
    void Sort();

private:
    bool Grow(std::uint32_t needed);

    struct Free {
        void operator()(Event* p) const { std::free(p); }
    };
    std::unique_ptr<Event, Free> data_;
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
};

// The name the rest of the program uses for sorting a bucket.
inline void SortBucket(BeatBucket& bucket) { bucket.Sort(); }

}  // namespace kvs
