#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/form_prompts.h"

namespace kvs {

class Song;

enum class MarkerListUse { Set, Clear, Goto };

// The marker list dialog: one row per marker slot, for setting, clearing or
// jumping to a marker.
class MarkerListForm {
  public:
    MarkerListForm(const Song& song, MarkerListUse use, const PromptSource& texts);

    PromptText Title() const;
    PromptText Label() const;
    // "name:\tvalue" for each of the 22 slots.
    const std::vector<std::string>& Rows() const { return rows_; }
    int Selection() const { return selection_; }  // -1: none
    void Select(int row);

    // Set stores the caret beat in the chosen slot, Clear unsets it; both
    // mark the song modified. Goto returns the slot's beat to go to, nothing
    // for an unset slot (and for the other uses).
    std::optional<std::uint32_t> Ok(Song& song, std::uint32_t caretBeat) const;

  private:
    MarkerListUse use_;
    std::vector<std::string> rows_;
    int selection_ = 0;
};

}  // namespace kvs
