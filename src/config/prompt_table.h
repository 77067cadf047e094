#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "config/prompt_ids.h"

namespace kvs {

inline constexpr std::size_t kPromptCount = 825;
// All texts loaded from a language file share one pool of this many bytes,
// terminators included.
inline constexpr std::size_t kPromptPoolSize = 80000;
// The longest text taken from a language file.
inline constexpr std::size_t kPromptMaxText = 1023;

struct PromptEntry {
    std::string_view key;
    std::string_view text;
};

// The compiled-in table: keys and English texts in table order.
extern const std::array<PromptEntry, kPromptCount> kBuiltinPrompts;

// The prompt for program error number 1-10 (the low bits of a program error
// result code); nullopt for any other number.
std::optional<prompt::Id> ErrorPrompt(std::uint32_t errorNumber);

// The current text of every prompt: the built-in one unless a text was put
// into the pool. Every text returned is followed by a terminating zero, so
// Text(id).data() can be handed to C string interfaces.
class PromptTable {
  public:
    PromptTable();

    std::string_view Text(prompt::Id id) const { return current_[id]; }
    // Empty for an index outside the table.
    std::string_view Text(std::size_t index) const;
    std::string_view Key(std::size_t index) const;
    // Exact match of the key as stored (lower case).
    static std::optional<std::size_t> IndexOf(std::string_view key);
    // Empty when no prompt has that key.
    std::string_view TextOf(std::string_view key) const;

    // Copies text into the pool and makes it the prompt's text. False, with
    // nothing changed, when the index is outside the table or the pool cannot
    // take the text and its terminator.
    bool SetText(std::size_t index, std::string_view text);
    // Every prompt back to its built-in text; the pool emptied.
    void Reset();
    std::size_t PoolUsed() const { return used_; }

  private:
    std::array<std::string_view, kPromptCount> current_;
    std::unique_ptr<char[]> pool_;
    std::size_t used_ = 0;
};

}  // namespace kvs
