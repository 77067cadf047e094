#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/form_prompts.h"
#include "model/value_format.h"

namespace kvs {

class Song;

// The Goto dialog: a beat typed as a position, a bar:beat or a time.
class GotoForm {
  public:
    static constexpr std::size_t kNumberChars = 9;
    static constexpr std::size_t kReadChars = 12;
    static constexpr std::array<PromptText, 3> kUnitItems = {prompts::kGotoPosition,
                                                             prompts::kGotoBar, prompts::kGotoTime};

    GotoForm(const Song& song, std::uint32_t caretBeat, DisplayUnit unit);

    DisplayUnit Unit() const { return unit_; }
    // Choosing another unit shows the caret in it again.
    void SetUnit(DisplayUnit unit);
    const std::string& Text() const { return text_; }
    void SetText(std::string_view text);
    // The beat to go to, or nothing: then "Invalid value" is shown and the
    // dialog stays open.
    std::optional<std::uint32_t> Ok() const;

  private:
    const Song& song_;
    std::uint32_t caret_;
    DisplayUnit unit_;
    std::string text_;
};

}  // namespace kvs
