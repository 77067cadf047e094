#pragma once

#include <cstddef>
#include <cstdint>

#include "model/event.h"

namespace kvs {

// One growing block of events, for loaders that gather a whole track before
// handing it over (Track::AdoptEvents). Its events carry their absolute tick
// in `offset`. It grows by doubling through realloc, which for large blocks
// remaps pages instead of copying them.
class EventBlock {
  public:
    EventBlock() = default;
    EventBlock(const EventBlock&) = delete;
    EventBlock& operator=(const EventBlock&) = delete;
    EventBlock(EventBlock&& other) noexcept;
    EventBlock& operator=(EventBlock&& other) noexcept;
    ~EventBlock() { Clear(); }

    std::size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    Event* Data() { return data_; }
    const Event* Data() const { return data_; }
    Event& operator[](std::size_t i) { return data_[i]; }
    const Event& operator[](std::size_t i) const { return data_[i]; }
    const Event* begin() const { return data_; }
    const Event* end() const { return data_ + count_; }

    // False only when memory runs out; the block then stays as it was.
    bool Append(Event e) {
        if (count_ == capacity_ && !Grow(count_ + 1)) return false;
        data_[count_++] = e;
        return true;
    }
    // Makes room for at least n events in total.
    bool Reserve(std::size_t n) { return n <= capacity_ || Resize(n); }
    // Gives back the room beyond Count(); a failed shrink keeps the block.
    void ShrinkToFit();
    // Drops every event and frees the storage.
    void Clear();

  private:
    bool Grow(std::size_t needed);
    bool Resize(std::size_t capacity);

    Event* data_ = nullptr;  // malloc'ed
    std::size_t count_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace kvs
