#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kvs {

// A NUL-terminated text field of fixed capacity (N - 1 characters); longer
// texts are cut. Part of records that are copied whole.
template <std::size_t N>
class FixedText {
public:
    FixedText() = default;
    explicit FixedText(std::string_view text) { Set(text); }

    void Set(std::string_view text) {
        const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
        if (n != 0) std::memcpy(chars_.data(), text.data(), n);
        chars_[n] = '\0';
    }
    std::string_view View() const { return std::string_view(chars_.data()); }
    const char* CStr() const { return chars_.data(); }
    bool Empty() const { return chars_[0] == '\0'; }
    static constexpr std::size_t Capacity() { return N - 1; }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.View() == b.View(); }

private:
    std::array<char, N> chars_{};
};

}  // namespace kvs
