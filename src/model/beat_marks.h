#pragma once

#include <cstdint>
#include <vector>

namespace kvs {

// One flag per beat, with a summary bit for every 64 beats so that the next
// marked beat is found without walking the unmarked ones.
class BeatMarks {
  public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    void Clear();
    void Mark(std::uint32_t beat);
    void Unmark(std::uint32_t beat);
    bool Marked(std::uint32_t beat) const {
        return beat / 64 < words_.size() && (words_[beat / 64] >> (beat % 64) & 1) != 0;
    }
    // The first marked beat at or after beat, or kNone.
    std::uint32_t Next(std::uint32_t beat) const;
    // n unmarked beats before beat; later marks move up by n.
    void Insert(std::uint32_t beat, std::uint32_t n);
    // Drops the marks of beats [beat, beat + n); later marks move down by n.
    void Erase(std::uint32_t beat, std::uint32_t n);

  private:
    // Bit i of the result is old bit i below `at`, else old bit i + shift
    // (0 where that lies below `at`).
    void Move(std::uint32_t at, std::int64_t shift);
    void Summarise();

    std::vector<std::uint64_t> words_;
    std::vector<std::uint64_t> summary_;  // bit w: words_[w] is not 0
};

}  // namespace kvs
