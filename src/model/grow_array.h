#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

namespace kvs {

// A contiguous array that grows and shrinks in fixed capacity steps. Every
// change of count reallocates to the rounded capacity, as the lists of the
// song model always did; buckets use their own geometric policy instead.
template <typename T>
class GrowArray {
    static_assert(std::is_trivially_copyable_v<T>, "GrowArray moves elements with realloc");

public:
    GrowArray(std::uint32_t growStep, std::uint32_t shrinkStep) { Init(growStep, shrinkStep); }
    GrowArray(const GrowArray& other) { *this = other; }
    GrowArray& operator=(const GrowArray& other) {
        if (this == &other) return *this;
        Init(other.growStep_, other.shrinkStep_);
        if (other.count_ != 0 && SetSize(other.count_) != nullptr)
            std::memcpy(data_.get(), other.data_.get(), sizeof(T) * other.count_);
        return *this;
    }
    GrowArray(GrowArray&&) noexcept = default;
    GrowArray& operator=(GrowArray&&) noexcept = default;

    void Init(std::uint32_t growStep, std::uint32_t shrinkStep) {
        data_.reset();
        count_ = 0;
        capacity_ = 0;
        growStep_ = growStep;
        shrinkStep_ = shrinkStep;
    }

    T* SetSize(std::uint32_t n) {
        if (growStep_ == 0 || shrinkStep_ == 0) return nullptr;
        if (n == count_) return data_.get();
        const std::uint32_t step = n > count_ ? growStep_ : shrinkStep_;
        const std::uint64_t capacity = std::uint64_t{step} * ((std::uint64_t{n} + step - 1) / step);
        if (capacity > UINT32_MAX / sizeof(T)) return nullptr;
        if (capacity == 0) {
            data_.reset();
        } else {
            void* p = std::realloc(data_.get(), capacity * sizeof(T));
            if (p == nullptr) return nullptr;
            (void)data_.release();
            data_.reset(static_cast<T*>(p));
        }
        capacity_ = static_cast<std::uint32_t>(capacity);
        count_ = n;
        return data_.get();
    }

    T* InsertAt(std::uint32_t index, std::uint32_t n) {
        if (index > count_ || n > UINT32_MAX - count_) return nullptr;
        const std::uint32_t tail = count_ - index;
        if (SetSize(count_ + n) == nullptr) return nullptr;
        T* d = data_.get();
        if (tail != 0) std::memmove(d + index + n, d + index, sizeof(T) * tail);
        std::memset(static_cast<void*>(d + index), 0, sizeof(T) * n);
        return d;
    }

    T* RemoveAt(std::uint32_t index, std::uint32_t n) {
        if (index > count_ || n > count_ - index) return nullptr;
        T* d = data_.get();
        const std::uint32_t tail = count_ - index - n;
        if (tail != 0) std::memmove(d + index, d + index + n, sizeof(T) * tail);
        const std::uint32_t newCount = count_ - n;
        if (SetSize(newCount) == nullptr && newCount != 0) return nullptr;
        return data_.get();
    }

    T Get(std::uint32_t index) const { return index < count_ ? data_.get()[index] : T{}; }
    void Set(std::uint32_t index, const T& value) {
        if (index < count_) data_.get()[index] = value;
    }

    std::uint32_t Count() const { return count_; }
    std::uint32_t Capacity() const { return capacity_; }
    T* Data() { return data_.get(); }
    const T* Data() const { return data_.get(); }

private:
    struct Free {
        void operator()(T* p) const { std::free(p); }
    };
    std::unique_ptr<T, Free> data_;
    std::uint32_t count_ = 0;
    std::uint32_t growStep_ = 0;
    std::uint32_t shrinkStep_ = 0;
    std::uint32_t capacity_ = 0;
};

}  // namespace kvs
