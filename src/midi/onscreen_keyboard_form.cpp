#include "midi/onscreen_keyboard_form.h"

#include <algorithm>

#include "midi/osk_key_codes.h"
#include "model/edit_ask.h"

namespace kvs {
namespace {

constexpr int kOpenLow = 48;
constexpr int kOpenHigh = 84;
constexpr int kOpenVelocity = 80;

}  // namespace

OnScreenKeyboardForm::OnScreenKeyboardForm(const OskLayoutSettings& layout,
                                           KeyboardNoteInput& input)
    : input_(input), keys_(*this) {
    keys_.SetRange(kOpenLow, kOpenHigh);
    keys_.SetVelocity(kOpenVelocity);
    keys_.SetLayout(layout);
}

void OnScreenKeyboardForm::MoveOctave(int position) {
    octave_ = std::clamp(position, 0, kOctaveMax);
    keys_.SetRange(octave_ * 12 + 12, octave_ * 12 + 48);
}

void OnScreenKeyboardForm::MoveVelocity(int velocity) {
    velocity_ = std::clamp(velocity, kVelocityMin, kVelocityMax);
    keys_.SetVelocity(velocity_);
}

void OnScreenKeyboardForm::PlayMessage(std::uint32_t message) {
    input_.KeyboardMessage(message);
}

void OnScreenKeyboardForm::RangeChanged(int lowKey, int /*highKey*/) {
    octave_ = std::clamp(lowKey / 12 - 1, 0, kOctaveMax);
}

void OnScreenKeyboardForm::VelocityChanged(int velocity) {
    velocity_ = std::clamp(velocity, kVelocityMin, kVelocityMax);
}

OskLayoutForm::OskLayoutForm(const OskLayoutSettings& layout) {
    Load(layout);
}

void OskLayoutForm::Load(const OskLayoutSettings& layout) {
    keys_.fill(0);
    std::copy_n(layout.keys.begin(), std::min(layout.keys.size(), kNotes), keys_.begin());
    baseKey_ = std::clamp<int>(layout.baseKey, 0, 11);
    note_ = 0;
}

std::vector<std::string> OskLayoutForm::NoteItems(const PromptSource& prompts) {
    const std::string_view text = prompts.Text(prompts::kOskLayoutNoteItem);
    const std::size_t at = text.find("%d");
    std::vector<std::string> items;
    for (std::size_t n = 1; n <= kNotes; ++n) {
        if (at == std::string_view::npos) {
            items.emplace_back(text);
            continue;
        }
        items.push_back(std::string(text.substr(0, at)) + std::to_string(n) +
                        std::string(text.substr(at + 2)));
    }
    return items;
}

std::vector<std::string> OskLayoutForm::BaseItems() {
    return {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
}

void OskLayoutForm::SelectNote(int index) {
    if (index >= 0 && index < static_cast<int>(kNotes)) note_ = index;
}

std::uint32_t OskLayoutForm::AssignedKey() const {
    return KeyCodeFromVirtualKey(keys_[static_cast<std::size_t>(note_)]);
}

bool OskLayoutForm::CaptureKey(std::uint32_t key, bool withModifiers) {
    if (key == keycode::kNone) {
        keys_[static_cast<std::size_t>(note_)] = 0;
        return true;
    }
    if (withModifiers || IsModifierKeyCode(key)) return false;
    const std::uint16_t vk = VirtualKeyFromKeyCode(UnshiftedKeyCode(key));
    if (vk == 0) return false;
    keys_[static_cast<std::size_t>(note_)] = vk;
    return true;
}

void OskLayoutForm::SelectBaseKey(int index) {
    if (index >= 0 && index < 12) baseKey_ = index;
}

bool OskLayoutForm::ResetToDefaults(EditAsk& ask) {
    if (!ask.Confirm(prompts::kOskLayoutConfirmReset.key.data())) return false;
    Load(OskLayoutSettings{});
    return true;
}

OskLayoutSettings OskLayoutForm::Result() const {
    OskLayoutSettings layout;
    layout.baseKey = static_cast<std::int16_t>(baseKey_);
    layout.keys.clear();
    for (const std::uint16_t vk : keys_) {
        if (vk == 0) break;
        layout.keys.push_back(vk);
    }
    return layout;
}

}  // namespace kvs
