#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/packed_settings.h"
#include "midi/piano_keys.h"
#include "model/form_prompts.h"

namespace kvs {

class EditAsk;

namespace prompts {
inline constexpr PromptText kOskTitle{"oskboard_title", "Onscreen Keyboard"};
inline constexpr PromptText kOskKeys{"oskboard_keys", "&Keyboard:"};
inline constexpr PromptText kOskOctave{"oskboard_octave", "&Octave:"};
inline constexpr PromptText kOskVelocity{"oskboard_velocity", "&Velocity:"};
inline constexpr PromptText kOskLayoutTitle{"opts_oskboard_title", "Onscreen Keyboard"};
inline constexpr PromptText kOskLayoutNote{"opts_oskboard_keynum", "Select a &key:"};
inline constexpr PromptText kOskLayoutKey{"opts_oskboard_keyasn", "&Assigned to:"};
inline constexpr PromptText kOskLayoutBase{"opts_oskboard_base", "&Base key:"};
inline constexpr PromptText kOskLayoutReset{"opts_oskboard_reset", "&Reset to defaults"};
inline constexpr PromptText kOskLayoutConfirmReset{
    "opts_oskboard_confreset", "Are you sure you want to reset the onscreen keyboard keys?"};
inline constexpr PromptText kOskLayoutNoteItem{"opts_oskboard_notenum", "Note %d"};
}  // namespace prompts

// Where the keyboard's notes enter the program: the input handler, as if
// they came from a MIDI IN device.
class KeyboardNoteInput {
  public:
    virtual ~KeyboardNoteInput() = default;
    virtual void KeyboardMessage(std::uint32_t message) = 0;
};

// The on-screen keyboard dialog: the piano keys with an octave and a
// velocity slider. It does not suspend input, so its notes record.
class OnScreenKeyboardForm final : private PianoKeyListener {
  public:
    static constexpr int kOctaveMax = 7;
    static constexpr int kVelocityMin = 1;
    static constexpr int kVelocityMax = 127;
    static constexpr int kVelocityPage = 16;

    OnScreenKeyboardForm(const OskLayoutSettings& layout, KeyboardNoteInput& input);

    PianoKeys& Keys() { return keys_; }
    const PianoKeys& Keys() const { return keys_; }
    int Octave() const { return octave_; }
    int Velocity() const { return velocity_; }
    // The sliders, moved by the user.
    void MoveOctave(int position);
    void MoveVelocity(int velocity);

  private:
    void PlayMessage(std::uint32_t message) override;
    void RangeChanged(int lowKey, int highKey) override;
    void VelocityChanged(int velocity) override;

    KeyboardNoteInput& input_;
    PianoKeys keys_;
    int octave_ = 3;
    int velocity_ = 80;
};

// The layout options dialog, on copies of the layout and its base key. The
// hot-key field works in key codes; the copies keep virtual keys, as the
// settings file does.
class OskLayoutForm {
  public:
    static constexpr std::size_t kNotes = OskLayoutSettings::kMaxKeys;

    explicit OskLayoutForm(const OskLayoutSettings& layout);

    // "Note 1" to "Note 32".
    static std::vector<std::string> NoteItems(const PromptSource& prompts);
    // "C" to "B".
    static std::vector<std::string> BaseItems();

    int SelectedNote() const { return note_; }
    void SelectNote(int index);  // out of range: ignored
    // The key code of the selected note, keycode::kNone when it has none.
    std::uint32_t AssignedKey() const;
    // The hot-key field captured a key (kNone clears the note). False, with
    // nothing changed, for a combination with a modifier, a modifier alone or
    // a key the settings file cannot name.
    bool CaptureKey(std::uint32_t key, bool withModifiers);

    int BaseKey() const { return baseKey_; }
    void SelectBaseKey(int index);  // 0-11, else ignored

    // Asks first; on Yes the default layout and base key, note 1 shown.
    bool ResetToDefaults(EditAsk& ask);

    // The keys up to the first empty note, and the base key.
    OskLayoutSettings Result() const;
    void Ok(OskLayoutSettings& stored) const { stored = Result(); }

  private:
    void Load(const OskLayoutSettings& layout);

    std::array<std::uint16_t, kNotes> keys_{};
    int baseKey_ = 0;
    int note_ = 0;
};

}  // namespace kvs
