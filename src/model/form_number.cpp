#include "model/form_number.h"

#include <algorithm>

namespace kvs {
namespace {

constexpr std::int64_t kSaturated = std::int64_t{1} << 40;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<std::int64_t> ReadSignedField(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(value * 10 + (c - '0'), kSaturated);
    }
    return negative ? -value : value;
}

std::optional<std::int64_t> ReadUnsignedField(std::string_view text) {
    if (text.find('-') != std::string_view::npos) return std::nullopt;
    return ReadSignedField(text);
}

std::string_view CutField(std::string_view text, std::size_t n) {
    return text.substr(0, std::min(n, text.size()));
}

}  // namespace kvs
