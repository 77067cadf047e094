#include "config/packed_settings.h"

#include <cstddef>
#include <limits>

namespace kvs {
namespace {

// One decimal field as a scanf-style conversion reads it: leading blanks,
// an optional sign, at least one digit. Saturates instead of overflowing.
std::optional<std::int64_t> ReadNumber(std::string_view text, std::size_t* pos, std::int64_t lo,
                                       std::int64_t hi) {
    std::size_t i = *pos;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::size_t digits = i;
    std::int64_t n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (n <= hi) n = n * 10 + (text[i] - '0');
    if (i == digits) return std::nullopt;
    *pos = i;
    n = negative ? -n : n;
    return n < lo ? lo : n > hi ? hi : n;
}

constexpr std::int64_t kI32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kI32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kI16Min = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t kI16Max = std::numeric_limits<std::int16_t>::max();

}  // namespace

std::optional<MidiAssignSettings> ParseMidiAssign(std::string_view text) {
    std::int64_t f[11];
    std::size_t pos = 0;
    for (int i = 0; i < 11; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',') return std::nullopt;
            ++pos;
        }
        const bool wide = i < 3;
        const auto n = ReadNumber(text, &pos, wide ? kI32Min : kI16Min, wide ? kI32Max : kI16Max);
        if (!n) return std::nullopt;
        f[i] = *n;
    }
    // The last eight are 16-bit fields; a negative one keeps its bit pattern.
    auto u16 = [](std::int64_t v) { return static_cast<std::uint16_t>(v); };
    MidiAssignSettings m;
    m.keyTranspose = static_cast<std::int32_t>(f[0]);
    m.velocityPercent = static_cast<std::int32_t>(f[1]);
    m.velocityOffset = static_cast<std::int32_t>(f[2]);
    m.controllerFrom = u16(f[3]);
    m.controllerTo = u16(f[4]);
    m.bendUpTarget = u16(f[5]);
    m.bendUpMax = u16(f[6]);
    m.bendUpMin = u16(f[7]);
    m.bendDownTarget = u16(f[8]);
    m.bendDownMax = u16(f[9]);
    m.bendDownMin = u16(f[10]);
    return m;
}

std::string FormatMidiAssign(const MidiAssignSettings& m) {
    auto s16 = [](std::uint16_t v) { return std::to_string(static_cast<std::int16_t>(v)); };
    return std::to_string(m.keyTranspose) + ',' + std::to_string(m.velocityPercent) + ',' +
           std::to_string(m.velocityOffset) + ',' + s16(m.controllerFrom) + ',' +
           s16(m.controllerTo) + ',' + s16(m.bendUpTarget) + ',' + s16(m.bendUpMax) + ',' +
           s16(m.bendUpMin) + ',' + s16(m.bendDownTarget) + ',' + s16(m.bendDownMax) + ',' +
           s16(m.bendDownMin);
}

std::optional<OskLayoutSettings> ParseOskKeys(std::string_view text) {
    std::size_t pos = 0;
    const auto base = ReadNumber(text, &pos, kI16Min, kI16Max);
    if (!base) return std::nullopt;
    OskLayoutSettings layout;
    layout.baseKey = static_cast<std::int16_t>(*base);
    layout.keys.clear();
    for (std::size_t comma = text.find(',', pos);
         comma != std::string_view::npos && layout.keys.size() < OskLayoutSettings::kMaxKeys;
         comma = text.find(',', pos)) {
        pos = comma + 1;
        const auto key = ReadNumber(text, &pos, kI16Min, kI16Max);
        if (!key || *key == 0) break;  // the list is zero-terminated
        layout.keys.push_back(static_cast<std::uint16_t>(*key));
    }
    if (layout.keys.empty()) return std::nullopt;
    return layout;
}

std::string FormatOskKeys(const OskLayoutSettings& layout) {
    std::string text = std::to_string(layout.baseKey);
    for (const std::uint16_t key : layout.keys)
        text += ',' + std::to_string(static_cast<std::int16_t>(key));
    return text;
}

}  // namespace kvs
