#include "midi/key_commands_form.h"

#include "midi/key_commands.h"
#include "model/event.h"
#include "model/value_format.h"

namespace kvs {
namespace {

constexpr int kKeyCount = kKeyCommandLastKey - kKeyCommandFirstKey + 1;

}  // namespace

KeyCommandsForm::KeyCommandsForm(const KeyCommandMap& map) : copy_(map) {
    for (std::uint32_t key = 0; key < copy_.size(); ++key)
        if (copy_[key] > kKeyCommandLastAction) copy_[key] = 0;
}

std::vector<std::string> KeyCommandsForm::KeyItems() {
    std::vector<std::string> items;
    for (std::uint32_t key = kKeyCommandFirstKey; key <= kKeyCommandLastKey; ++key)
        items.push_back(std::to_string(key) + " (" + FormatNoteName(static_cast<int>(key)) + ")");
    return items;
}

std::vector<std::string> KeyCommandsForm::ActionItems(const PromptSource& prompts) {
    std::vector<std::string> items;
    for (const KeyCommandAction& action : kKeyCommandActions)
        items.emplace_back(prompts.Text(action.label));
    return items;
}

std::uint32_t KeyCommandsForm::SelectedKey() const {
    return kKeyCommandFirstKey + static_cast<std::uint32_t>(keySelection_);
}

void KeyCommandsForm::SelectKey(int index) {
    if (index >= 0 && index < kKeyCount) keySelection_ = index;
}

void KeyCommandsForm::SelectAction(std::uint32_t action) {
    if (action <= kKeyCommandLastAction) copy_[SelectedKey()] = action;
}

void KeyCommandsForm::MidiIn(std::uint32_t message) {
    if (!keyListFocused_ || !IsSoundingNoteOn(message)) return;
    const std::uint32_t key = Data1(message);
    if (key >= kKeyCommandFirstKey && key <= kKeyCommandLastKey)
        keySelection_ = static_cast<int>(key - kKeyCommandFirstKey);
}

void KeyCommandsForm::Ok(KeyCommandMap& stored, KeyCommands& live) const {
    for (std::uint32_t key = kKeyCommandFirstKey; key <= kKeyCommandLastKey; ++key)
        stored[key] = copy_[key];
    live.SetMap(stored);
}

}  // namespace kvs
