#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/form_prompts.h"

namespace kvs {

class NoteTransforms;

namespace prompts {
inline constexpr PromptText kNoteTransformTitle{"tools_ntxfm_title", "Note transform"};
inline constexpr PromptText kNoteTransformList{"tools_ntxfm_text", "Select &transformation:"};
inline constexpr PromptText kNoteTransformKey{"tools_ntxfm_key", "Base &key:"};
}  // namespace prompts

// The base keys offered, C to B.
inline constexpr std::array<std::string_view, 12> kBaseKeyNames = {
    "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

struct NoteTransformChoice {
    std::size_t transform = 0;   // index in the store
    std::uint32_t keyIndex = 0;  // 0-11, C to B
};

// The note transform dialog without its widgets. It keeps nothing from one
// use to the next: each opening starts with a new form.
class NoteTransformForm {
  public:
    struct Entry {
        std::size_t transform;  // index in the store
        std::string name;
    };

    explicit NoteTransformForm(const NoteTransforms& store);

    // Every valid transform, in store order.
    const std::vector<Entry>& Transforms() const { return entries_; }
    // Position in Transforms(); -1 when none is chosen.
    int TransformSelection() const { return selection_; }
    void SelectTransform(int position);
    std::uint32_t KeySelection() const { return key_; }
    // Indices beyond B are ignored.
    void SelectKey(std::uint32_t keyIndex);

    // Typed choices (batch use). A transform by its name, letter case aside;
    // a key by one of the twelve names, a note name in any octave, or its
    // index 0-11. False, with the choice unchanged, for anything else.
    bool SetTransformText(std::string_view name);
    bool SetKeyText(std::string_view text);

    // The choice, or nothing when no transform is chosen (the dialog then
    // says "Invalid value" and stays open).
    std::optional<NoteTransformChoice> Ok() const;

  private:
    std::vector<Entry> entries_;
    int selection_ = -1;
    std::uint32_t key_ = 0;
};

}  // namespace kvs
