#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/packed_settings.h"
#include "model/form_prompts.h"

namespace kvs {

class MidiAssignment;

namespace prompts {
inline constexpr PromptText kMidiAssignTitle{"opts_midiasgn_title", "MIDI Assignments"};
inline constexpr PromptText kMidiAssignTranspose{"opts_midiasgn_kshift", "&Key transpose:"};
inline constexpr PromptText kMidiAssignPercent{"opts_midiasgn_vprcnt", "% &Velocity:"};
inline constexpr PromptText kMidiAssignOffset{"opts_midiasgn_vshift", "Velocity o&ffset:"};
inline constexpr PromptText kMidiAssignCtrlFrom{"opts_midiasgn_ctrlnum", "&Control num:"};
inline constexpr PromptText kMidiAssignCtrlTo{"opts_midiasgn_ctrlasn", "&Assigned to:"};
inline constexpr PromptText kMidiAssignUpGroup{"opts_midiasgn_pbupgroup", "Pitch bend up"};
inline constexpr PromptText kMidiAssignUpDoes{"opts_midiasgn_pbupasn", "&Does:"};
inline constexpr PromptText kMidiAssignUpMax{"opts_midiasgn_pbupmax", "&Max:"};
inline constexpr PromptText kMidiAssignUpMin{"opts_midiasgn_pbupmin", "Mi&n:"};
inline constexpr PromptText kMidiAssignDownGroup{"opts_midiasgn_pbdngroup", "Pitch bend down"};
inline constexpr PromptText kMidiAssignDownDoes{"opts_midiasgn_pbdnasn", "&Does:"};
inline constexpr PromptText kMidiAssignDownMax{"opts_midiasgn_pbdnmax", "&Max:"};
inline constexpr PromptText kMidiAssignDownMin{"opts_midiasgn_pbdnmin", "Mi&n:"};
inline constexpr PromptText kMidiAssignMinimum{"opts_midiasgn_minimum", "Minimum"};
inline constexpr PromptText kMidiAssignHalfway{"opts_midiasgn_halfway", "Halfway"};
inline constexpr PromptText kMidiAssignMaximum{"opts_midiasgn_maximum", "Maximum"};
}  // namespace prompts

// The MIDI assignments dialog, on a copy of the settings.
class MidiAssignForm {
  public:
    enum Field : std::size_t { kTranspose, kPercent, kOffset, kControllerFrom, kControllerTo };
    static constexpr std::size_t kFieldCount = 5;

    struct FieldRange {
        std::int32_t min;
        std::int32_t max;
        std::int32_t fallback;  // for text that is not a number
    };
    static constexpr std::array<FieldRange, kFieldCount> kRanges = {
        {{-36, 36, 0}, {0, 400, 100}, {-127, 127, 0}, {0, 127, 1}, {0, 127, 1}}};

    // The "Does" list, the "Max" and "Min" lists of one pitch-bend half.
    struct BendGroup {
        int target = 0;  // index into TargetItems
        int max = 2;     // index into LevelItems
        int min = 0;
        // Max and Min (and their labels) only mean something for a target
        // other than Pitchbend.
        bool LevelsEnabled() const;
    };

    explicit MidiAssignForm(const MidiAssignSettings& settings);

    // "Ctrl 0" to "Ctrl 127", "Aftertouch", "Pitchbend".
    static std::vector<std::string> TargetItems();
    static std::vector<std::string> LevelItems(const PromptSource& prompts);
    static int TargetIndex(std::uint16_t target);
    static std::uint16_t TargetOfIndex(int index);
    // Wide enough for every value of the field's range, sign included.
    static std::size_t EditChars(Field field);

    const std::string& Text(Field field) const { return texts_[field]; }
    void SetText(Field field, std::string_view text);
    // The spin control: from the shown value (or the fallback), within range.
    void Spin(Field field, int steps);

    BendGroup up;
    BendGroup down;

    // The lists, then the edits (unreadable text takes the fallback, then
    // every value is clamped to its range); the result becomes the stored
    // and the live assignment.
    MidiAssignSettings Result() const;
    void Ok(MidiAssignSettings& stored, MidiAssignment& live) const;

  private:
    std::int32_t FieldValue(Field field) const;

    std::array<std::string, kFieldCount> texts_;
};

}  // namespace kvs
