#include "model/value_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "model/song.h"

namespace kvs {
namespace {

constexpr const char* kNoteNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};

struct Spelling {
    const char* name;
    int semitone;
};

// Longest spellings first within each letter, so "C#" is not read as "C".
constexpr Spelling kSpellings[] = {
    {"C##", 2}, {"C#", 1},  {"Cbb", -2}, {"Cb", -1}, {"C", 0},    {"D##", 4}, {"D#", 3},
    {"Dbb", 0}, {"Db", 1},  {"D", 2},    {"E##", 6}, {"E#", 5},   {"Ebb", 2}, {"Eb", 3},
    {"E", 4},   {"F##", 7}, {"F#", 6},   {"Fbb", 3}, {"Fb", 4},   {"F", 5},   {"G##", 9},
    {"G#", 8},  {"Gbb", 5}, {"Gb", 6},   {"G", 7},   {"A##", 11}, {"A#", 10}, {"Abb", 7},
    {"Ab", 8},  {"A", 9},   {"B##", 13}, {"B#", 12}, {"Bbb", 9},  {"Bb", 10}, {"B", 11},
};

constexpr std::uint64_t kMaxU32 = std::numeric_limits<std::uint32_t>::max();
// Far above any value a field can accept, yet far from overflowing.
constexpr std::uint64_t kSaturated = std::uint64_t{1} << 60;
// What an unsigned conversion gives for a value no 32-bit field can hold.
constexpr std::uint64_t kTooLarge = kMaxU32 + 1;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A decimal number read exactly, as milliseconds: the value times 1000
// truncated toward zero, and whether anything was cut off.
struct Millis {
    std::uint64_t whole = 0;
    bool cut = false;
    bool negative = false;
    bool Zero() const { return whole == 0 && !cut; }
};

// Reads text the way formatted input conversions do: each number skips
// leading blanks, literal characters must match exactly, and reading stops
// at the first thing that does not fit. Unlike the C library it never wraps
// a negative into an unsigned, never reads "inf" or "nan", and never lets a
// number too large for its type pass as a smaller one.
class TextReader {
  public:
    explicit TextReader(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    bool Literal(char c) {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    bool RestHolds(char c) const { return text_.substr(pos_).find(c) != std::string_view::npos; }

    // An unsigned number. A sign is read too, but a negative or a number
    // beyond 32 bits comes back as kTooLarge so that callers refuse it.
    std::optional<std::uint64_t> Unsigned() {
        SkipBlanks();
        std::size_t at = pos_;
        bool negative = false;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
            negative = text_[at] == '-';
            ++at;
        }
        const std::optional<std::uint64_t> value = Digits(at);
        if (!value) return std::nullopt;
        pos_ = at;
        if (*value > kMaxU32 || (negative && *value != 0)) return kTooLarge;
        return *value;
    }

    // A signed whole number; magnitudes beyond 32 bits read as kTooLarge.
    std::optional<std::int64_t> Signed() {
        SkipBlanks();
        std::size_t at = pos_;
        bool negative = false;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
            negative = text_[at] == '-';
            ++at;
        }
        const std::optional<std::uint64_t> value = Digits(at);
        if (!value) return std::nullopt;
        pos_ = at;
        const auto magnitude = static_cast<std::int64_t>(std::min(*value, kTooLarge));
        return negative ? -magnitude : magnitude;
    }

    // A decimal floating-point number: [sign] digits [. digits] [e [sign] digits].
    std::optional<Millis> Decimal() {
        SkipBlanks();
        std::size_t at = pos_;
        Millis result;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
            result.negative = text_[at] == '-';
            ++at;
        }
        std::string digits;      // significant digits, leading zeros dropped
        std::int64_t scale = 3;  // power of ten that turns digits into milliseconds
        bool any = false;
        for (; at < text_.size() && IsDigit(text_[at]); ++at) {
            any = true;
            if (!digits.empty() || text_[at] != '0') digits += text_[at];
        }
        if (at < text_.size() && text_[at] == '.') {
            std::size_t frac = at + 1;
            for (; frac < text_.size() && IsDigit(text_[frac]); ++frac) {
                any = true;
                --scale;
                if (!digits.empty() || text_[frac] != '0') digits += text_[frac];
            }
            if (any) at = frac;
        }
        if (!any) return std::nullopt;
        if (at < text_.size() && (text_[at] == 'e' || text_[at] == 'E')) {
            std::size_t exp = at + 1;
            bool negExp = false;
            if (exp < text_.size() && (text_[exp] == '+' || text_[exp] == '-')) {
                negExp = text_[exp] == '-';
                ++exp;
            }
            if (const std::optional<std::uint64_t> e = Digits(exp)) {
                const auto shift = static_cast<std::int64_t>(std::min<std::uint64_t>(*e, 100000));
                scale += negExp ? -shift : shift;
                at = exp;
            }
        }
        pos_ = at;
        if (digits.empty()) return result;
        // Only the first digits + scale digits are whole milliseconds.
        const std::int64_t wholeDigits = static_cast<std::int64_t>(digits.size()) + scale;
        if (wholeDigits > 18) {
            result.whole = kSaturated;
            return result;
        }
        const std::size_t keep = wholeDigits > 0 ? static_cast<std::size_t>(wholeDigits) : 0;
        for (std::size_t i = 0; i < keep; ++i) {
            result.whole = result.whole * 10 + (i < digits.size() ? digits[i] - '0' : 0);
        }
        // Whatever lies beyond the whole milliseconds was cut off unless zero.
        for (std::size_t i = keep; i < digits.size(); ++i) {
            if (digits[i] != '0') result.cut = true;
        }
        return result;
    }

  private:
    // Reads one or more digits from at, moving at past them.
    std::optional<std::uint64_t> Digits(std::size_t& at) const {
        std::size_t i = at;
        std::uint64_t value = 0;
        for (; i < text_.size() && IsDigit(text_[i]); ++i) {
            value = std::min(value * 10 + static_cast<std::uint64_t>(text_[i] - '0'), kSaturated);
        }
        if (i == at) return std::nullopt;
        at = i;
        return value;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

Tick BeatTick(std::uint32_t beat) {
    const std::uint64_t tick = std::uint64_t{beat} * TICKS_PER_BEAT;
    return static_cast<Tick>(std::min<std::uint64_t>(tick, kMaxU32));
}

}  // namespace

std::string FormatTime(std::uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%lu:%02lu.%03lu", static_cast<unsigned long>(ms / 60000),
                  static_cast<unsigned long>(ms / 1000 % 60),
                  static_cast<unsigned long>(ms % 1000));
    return text;
}

std::string FormatBeatsTicks(std::int64_t ticks) {
    // The magnitude is taken unsigned so that the most negative count works.
    const std::uint64_t magnitude =
        ticks < 0 ? ~static_cast<std::uint64_t>(ticks) + 1 : static_cast<std::uint64_t>(ticks);
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu.%03llu", ticks < 0 ? "-" : "",
                  static_cast<unsigned long long>(magnitude / TICKS_PER_BEAT),
                  static_cast<unsigned long long>(magnitude % TICKS_PER_BEAT));
    return text;
}

std::string FormatNoteName(int key) {
    if (key < 0 || key > 127) return std::string();
    return kNoteNames[key % 12] + std::to_string(key / 12 - 1);
}

std::string FormatBeatPosition(const Song& song, std::uint32_t beat, DisplayUnit unit) {
    switch (unit) {
        case DisplayUnit::Bar: {
            const BarBeat bb = TicksToBarBeat(song, BeatTick(beat));
            return std::to_string(bb.bar) + ":" + std::to_string(bb.beat);
        }
        case DisplayUnit::Time:
            return FormatTime(TicksToMs(song, BeatTick(beat)));
        case DisplayUnit::Position:
            break;
    }
    return std::to_string(beat);
}

std::optional<std::int64_t> ParseBeatsTicks(std::string_view text) {
    TextReader in(text);
    in.SkipBlanks();
    const bool negative = in.Literal('-');
    std::optional<std::uint64_t> beats;
    std::optional<std::uint64_t> ticks;
    if (in.Literal('.')) {
        ticks = in.Unsigned();
    } else if (!in.RestHolds('.')) {
        beats = in.Unsigned();
    } else if ((beats = in.Unsigned()) && in.Literal('.')) {
        ticks = in.Unsigned();
    }
    if (!beats && !ticks) return std::nullopt;
    if (beats.value_or(0) > kMaxU32 || ticks.value_or(0) >= TICKS_PER_BEAT) return std::nullopt;
    const auto count =
        static_cast<std::int64_t>(beats.value_or(0) * TICKS_PER_BEAT + ticks.value_or(0));
    return negative ? -count : count;
}

std::optional<BarBeat> ParseBarBeat(std::string_view text) {
    TextReader in(text);
    in.SkipBlanks();
    std::optional<std::uint64_t> bar;
    std::optional<std::uint64_t> beat;
    if (in.Literal(':')) {
        beat = in.Unsigned();
    } else if (!in.RestHolds(':')) {
        bar = in.Unsigned();
    } else if ((bar = in.Unsigned()) && in.Literal(':')) {
        beat = in.Unsigned();
    }
    if (!bar && !beat) return std::nullopt;
    const std::uint64_t b = bar.value_or(1);
    const std::uint64_t bt = beat.value_or(1);
    if (b == 0 || bt == 0 || b > kMaxU32 || bt > kMaxU32) return std::nullopt;
    return BarBeat{static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(bt)};
}

std::optional<std::uint32_t> ParseTime(std::string_view text) {
    TextReader in(text);
    in.SkipBlanks();
    std::optional<std::uint64_t> minutes;
    std::optional<Millis> seconds;
    if (!in.RestHolds(':')) {
        seconds = in.Decimal();
    } else if ((minutes = in.Unsigned()) && in.Literal(':')) {
        seconds = in.Decimal();
    }
    if (!minutes && !seconds) return std::nullopt;
    const Millis s = seconds.value_or(Millis{});
    // A negative time would wrap around to hours past the song's end.
    if (s.negative && !s.Zero()) return std::nullopt;
    if (s.whole > 59999 || (s.whole == 59999 && s.cut)) return std::nullopt;
    const std::uint64_t total = minutes.value_or(0) * 60000 + s.whole;
    if (total > kMaxU32) return std::nullopt;
    return static_cast<std::uint32_t>(total);
}

int ParseNoteName(std::string_view text) {
    std::string name;
    for (char c : text) {
        if (name.size() == 7) break;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        name += c;
    }
    for (const Spelling& spelling : kSpellings) {
        const std::string_view candidate(spelling.name);
        if (name.size() < candidate.size()) continue;
        if (!std::equal(candidate.begin(), candidate.end(), name.begin(),
                        [](char a, char b) { return Upper(a) == Upper(b); })) {
            continue;
        }
        TextReader in(std::string_view(name).substr(candidate.size()));
        const std::optional<std::int64_t> octave = in.Signed();
        if (!octave || *octave < -1 || *octave > 9) return -1;
        const std::int64_t key = spelling.semitone + (*octave + 1) * 12;
        return key >= 0 && key <= 127 ? static_cast<int>(key) : -1;
    }
    return -1;
}

}  // namespace kvs
