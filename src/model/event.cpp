#include "model/event.h"

namespace kvs {

namespace {

// Status is the most significant part, so kinds group together and channels
// order within a kind.
constexpr std::uint32_t SortKey(std::uint32_t msg) {
    return (std::uint32_t{Status(msg)} << 16) | (std::uint32_t{Data1(msg)} << 8) | Data2(msg);
}

}  // namespace

bool EventLess(const Event& a, const Event& b) {
    if (a.offset != b.offset) return a.offset < b.offset;
    const bool aOff = Kind(a.message) == 0x80;
    const bool bOff = Kind(b.message) == 0x80;
    if (aOff != bOff) return aOff;
    const bool aOn = Kind(a.message) == 0x90;
    const bool bOn = Kind(b.message) == 0x90;
    if (aOn != bOn) return bOn;
    return SortKey(a.message) < SortKey(b.message);
}

}  // namespace kvs
