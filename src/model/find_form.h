#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/edit_ask.h"
#include "model/form_prompts.h"

namespace kvs {

// Data 1 of a search value that matches any.
inline constexpr std::uint32_t kFindAnyData = 0xFF;
inline constexpr std::uint32_t kFindForward = 0;
inline constexpr std::uint32_t kFindBackward = 1;

// The Find dialog: an event kind, a number for notes and controllers, and
// a direction. OK yields the new search value; the caller stores it and
// runs the search.
class FindForm {
  public:
    struct Kind {
        PromptText name;
        std::uint8_t nibble;  // status high nibble
    };
    static constexpr std::array<Kind, 9> kKinds = {{
        {prompts::kEventNote, 0x9},
        {prompts::kEventPolyAft, 0xA},
        {prompts::kEventCtrl, 0xB},
        {prompts::kEventProgram, 0xC},
        {prompts::kEventChanAft, 0xD},
        {prompts::kEventBend, 0xE},
        {prompts::kEventTempo, 0x5},
        {prompts::kEventTimeSig, 0x6},
        {prompts::kEventSysex, 0xF},
    }};
    static constexpr std::size_t kNumberChars = 3;

    // A search value of 0: no search yet.
    explicit FindForm(const FindRequest& current);

    std::size_t KindIndex() const { return kind_; }
    void SetKind(std::size_t index);
    bool NumberEnabled() const;
    const std::string& NumberText() const { return number_; }
    void SetNumberText(std::string_view text);
    void SetNumberFocus(bool focused) { numberFocus_ = focused; }
    bool Backward() const { return backward_; }
    void SetBackward(bool backward) { backward_ = backward; }
    // A note on fills in its name while the number has the focus.
    void MidiIn(std::uint32_t message);
    // Nothing when the number is unreadable or outside 0-127: the dialog
    // then shows "Invalid value" and stays open.
    std::optional<FindRequest> Ok() const;

  private:
    std::size_t kind_ = 0;
    std::string number_;
    bool backward_ = false;
    bool numberFocus_ = false;
};

}  // namespace kvs
