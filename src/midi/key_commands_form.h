#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "model/form_prompts.h"

namespace kvs {

class KeyCommands;

namespace prompts {
inline constexpr PromptText kKeyCmdTitle{"opts_kcmd_title", "MIDI Key Commands"};
inline constexpr PromptText kKeyCmdKey{"opts_kcmd_key", "&Key:"};
inline constexpr PromptText kKeyCmdCommand{"opts_kcmd_cmd", "Assigned &command:"};
}  // namespace prompts

// The Key commands dialog, on a copy of the key-command map. The user
// interface host suspends input around it, so assigned keys reach it as
// plain notes.
class KeyCommandsForm {
  public:
    explicit KeyCommandsForm(const KeyCommandMap& map);

    // "21 (A0)" to "108 (C8)".
    static std::vector<std::string> KeyItems();
    // The action labels in table order.
    static std::vector<std::string> ActionItems(const PromptSource& prompts);

    // Index into KeyItems; the first key at opening.
    int KeySelection() const { return keySelection_; }
    std::uint32_t SelectedKey() const;
    // The action of the selected key, an index into ActionItems.
    std::uint32_t ActionSelection() const { return copy_[SelectedKey()]; }
    // Out-of-range selections are ignored.
    void SelectKey(int index);
    void SelectAction(std::uint32_t action);

    void SetKeyListFocus(bool focused) { keyListFocused_ = focused; }
    // A played key selects itself while the key list has the focus.
    void MidiIn(std::uint32_t message);

    const KeyCommandMap& Copy() const { return copy_; }
    // The copy becomes the stored map and the live one.
    void Ok(KeyCommandMap& stored, KeyCommands& live) const;

  private:
    KeyCommandMap copy_;
    int keySelection_ = 0;
    bool keyListFocused_ = false;
};

}  // namespace kvs
