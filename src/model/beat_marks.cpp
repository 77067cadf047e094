#include "model/beat_marks.h"

#include <algorithm>
#include <bit>

namespace kvs {
namespace {

// Bits [0, n) of a word; n may lie outside 0-64.
std::uint64_t Below(std::int64_t n) {
    if (n <= 0) return 0;
    if (n >= 64) return ~std::uint64_t{0};
    return (std::uint64_t{1} << n) - 1;
}

// 64 bits starting at bit pos of words (zero outside them).
std::uint64_t Window(const std::vector<std::uint64_t>& words, std::int64_t pos) {
    const auto word = [&words](std::int64_t i) {
        return i >= 0 && static_cast<std::size_t>(i) < words.size()
                   ? words[static_cast<std::size_t>(i)]
                   : 0;
    };
    const std::int64_t index = pos >= 0 ? pos / 64 : -((63 - pos) / 64);
    const auto shift = static_cast<unsigned>(pos - index * 64);
    if (shift == 0) return word(index);
    return (word(index) >> shift) | (word(index + 1) << (64 - shift));
}

}  // namespace

void BeatMarks::Clear() {
    words_.clear();
    summary_.clear();
}

void BeatMarks::Mark(std::uint32_t beat) {
    const std::size_t w = beat / 64;
    if (w >= words_.size()) {
        words_.resize(w + 1, 0);
        summary_.resize(w / 64 + 1, 0);
    }
    words_[w] |= std::uint64_t{1} << (beat % 64);
    summary_[w / 64] |= std::uint64_t{1} << (w % 64);
}

void BeatMarks::Unmark(std::uint32_t beat) {
    const std::size_t w = beat / 64;
    if (w >= words_.size()) return;
    words_[w] &= ~(std::uint64_t{1} << (beat % 64));
    if (words_[w] == 0) summary_[w / 64] &= ~(std::uint64_t{1} << (w % 64));
}

std::uint32_t BeatMarks::Next(std::uint32_t beat) const {
    std::size_t w = beat / 64;
    if (w >= words_.size()) return kNone;
    const std::uint64_t here = words_[w] & (~std::uint64_t{0} << (beat % 64));
    if (here != 0) return static_cast<std::uint32_t>(w * 64 + std::countr_zero(here));
    ++w;
    std::size_t s = w / 64;
    if (s >= summary_.size()) return kNone;
    std::uint64_t bits = summary_[s] & (~std::uint64_t{0} << (w % 64));
    while (bits == 0) {
        if (++s >= summary_.size()) return kNone;
        bits = summary_[s];
    }
    const std::size_t found = s * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    return static_cast<std::uint32_t>(found * 64 + std::countr_zero(words_[found]));
}

void BeatMarks::Insert(std::uint32_t beat, std::uint32_t n) {
    if (n != 0 && beat / 64 < words_.size()) Move(beat, -std::int64_t{n});
}

void BeatMarks::Erase(std::uint32_t beat, std::uint32_t n) {
    if (n != 0 && beat / 64 < words_.size()) Move(beat, n);
}

void BeatMarks::Move(std::uint32_t at, std::int64_t shift) {
    const std::vector<std::uint64_t> old = words_;
    const std::int64_t bits =
        std::max(static_cast<std::int64_t>(old.size()) * 64 - shift, std::int64_t{at});
    words_.resize(static_cast<std::size_t>((bits + 63) / 64), 0);
    for (std::size_t k = at / 64; k < words_.size(); ++k) {
        const std::int64_t base = static_cast<std::int64_t>(k) * 64;
        const std::uint64_t kept = Window(old, base) & Below(at - base);
        const std::uint64_t moved =
            Window(old, base + shift) & ~Below(at - base) & ~Below(at - shift - base);
        words_[k] = kept | moved;
    }
    Summarise();
}

void BeatMarks::Summarise() {
    summary_.assign((words_.size() + 63) / 64, 0);
    for (std::size_t w = 0; w < words_.size(); ++w)
        if (words_[w] != 0) summary_[w / 64] |= std::uint64_t{1} << (w % 64);
}

}  // namespace kvs
