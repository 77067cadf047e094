#pragma once

#include <cstdint>

#include "model/event.h"

namespace kvs {

// All events of one track in one beat. Capacity grows geometrically from a
// small first block: nothing outside can see it, and a beat holding one
// event should not cost the 800 bytes of a 100-event step.
//
// A bucket may also borrow its events from a block it does not own (a loaded
// track keeps all its events in one block). Such a bucket edits in place
// while its events fit and moves them to a block of its own when it grows.
// Copies are always owned; moves are for the owner of the borrowed block
// only, so that a borrowed bucket cannot outlive its block.
class BeatBucket {
  public:
    // The most events one bucket holds; the capacity word keeps its top bit free.
    static constexpr std::uint32_t kMaxEvents = 0x10000000;  // 2 GB of events

    BeatBucket() = default;
    BeatBucket(const BeatBucket& other);
    BeatBucket& operator=(const BeatBucket& other);
    ~BeatBucket() { Release(); }

    std::uint32_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    bool Borrowed() const { return (capacity_ & kBorrowed) != 0; }
    Event* Data() { return data_; }
    const Event* Data() const { return data_; }
    Event& operator[](std::uint32_t i) { return data_[i]; }
    const Event& operator[](std::uint32_t i) const { return data_[i]; }
    const Event* begin() const { return data_; }
    const Event* end() const { return data_ + count_; }
    Event* begin() { return data_; }
    Event* end() { return data_ + count_; }

    // Appends one event; false only when memory runs out.
    bool Append(Event e) {
        if (count_ == Capacity() && !Grow(count_ + 1)) return false;
        data_[count_++] = e;
        return true;
    }
    // Inserts at index (index == Count() appends); false when index > Count().
    bool InsertAt(std::uint32_t index, Event e);
    // Removes the event at index; false when index >= Count().
    bool RemoveAt(std::uint32_t index);
    // Makes room for at least n events in total.
    bool Reserve(std::uint32_t n) { return n <= Capacity() || Grow(n); }
    void Clear();
    // Sorts with EventLess.
    void Sort();

  protected:
    BeatBucket(BeatBucket&& other) noexcept;
    BeatBucket& operator=(BeatBucket&& other) noexcept;
    // Points the bucket at count events of a block someone else owns and
    // keeps alive for as long as the bucket lives.
    void Borrow(Event* data, std::uint32_t count) {
        if (data_ != nullptr) Clear();
        if (count == 0 || count > kMaxEvents) return;
        data_ = data;
        count_ = count;
        capacity_ = count | kBorrowed;
    }

  private:
    static constexpr std::uint32_t kBorrowed = 0x80000000;

    std::uint32_t Capacity() const { return capacity_ & ~kBorrowed; }
    bool Grow(std::uint32_t needed);
    void Release();

    Event* data_ = nullptr;  // malloc'ed unless borrowed
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;  // kBorrowed marks data_ as not ours
};
static_assert(sizeof(BeatBucket) == 16);

// The name the rest of the program uses for sorting a bucket.
inline void SortBucket(BeatBucket& bucket) {
    bucket.Sort();
}

}  // namespace kvs
