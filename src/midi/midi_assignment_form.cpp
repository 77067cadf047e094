#include "midi/midi_assignment_form.h"

#include <algorithm>

#include "midi/midi_assignment.h"
#include "model/form_number.h"

namespace kvs {
namespace {

constexpr int kAftertouchIndex = 128;
constexpr int kPitchBendIndex = 129;
constexpr int kLevelCount = 3;

int LevelIndex(std::uint16_t level) {
    return std::min<int>(level, kLevelCount - 1);
}

int ClampIndex(int index, int count) {
    return std::clamp(index, 0, count - 1);
}

}  // namespace

bool MidiAssignForm::BendGroup::LevelsEnabled() const {
    return target != kPitchBendIndex;
}

MidiAssignForm::MidiAssignForm(const MidiAssignSettings& s) {
    texts_[kTranspose] = std::to_string(s.keyTranspose);
    texts_[kPercent] = std::to_string(s.velocityPercent);
    texts_[kOffset] = std::to_string(s.velocityOffset);
    texts_[kControllerFrom] = std::to_string(s.controllerFrom);
    texts_[kControllerTo] = std::to_string(s.controllerTo);
    up = {TargetIndex(s.bendUpTarget), LevelIndex(s.bendUpMax), LevelIndex(s.bendUpMin)};
    down = {TargetIndex(s.bendDownTarget), LevelIndex(s.bendDownMax), LevelIndex(s.bendDownMin)};
}

std::vector<std::string> MidiAssignForm::TargetItems() {
    std::vector<std::string> items;
    for (int n = 0; n < 128; ++n)
        items.push_back("Ctrl " + std::to_string(n));
    items.emplace_back("Aftertouch");
    items.emplace_back("Pitchbend");
    return items;
}

std::vector<std::string> MidiAssignForm::LevelItems(const PromptSource& prompts) {
    return {std::string(prompts.Text(prompts::kMidiAssignMinimum)),
            std::string(prompts.Text(prompts::kMidiAssignHalfway)),
            std::string(prompts.Text(prompts::kMidiAssignMaximum))};
}

int MidiAssignForm::TargetIndex(std::uint16_t target) {
    if (target < 128) return target;
    return target == kBendTargetAftertouch ? kAftertouchIndex : kPitchBendIndex;
}

std::uint16_t MidiAssignForm::TargetOfIndex(int index) {
    if (index >= 0 && index < 128) return static_cast<std::uint16_t>(index);
    return index == kAftertouchIndex ? kBendTargetAftertouch : kBendTargetPitchBend;
}

std::size_t MidiAssignForm::EditChars(Field field) {
    const FieldRange& r = kRanges[field];
    return std::max(std::to_string(r.min).size(), std::to_string(r.max).size());
}

void MidiAssignForm::SetText(Field field, std::string_view text) {
    if (field < kFieldCount) texts_[field] = std::string(CutField(text, EditChars(field)));
}

void MidiAssignForm::Spin(Field field, int steps) {
    if (field >= kFieldCount) return;
    const FieldRange& r = kRanges[field];
    const std::int64_t now = ReadSignedField(texts_[field]).value_or(r.fallback);
    texts_[field] = std::to_string(std::clamp<std::int64_t>(now + steps, r.min, r.max));
}

std::int32_t MidiAssignForm::FieldValue(Field field) const {
    const FieldRange& r = kRanges[field];
    const std::int64_t value = ReadSignedField(texts_[field]).value_or(r.fallback);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, r.min, r.max));
}

MidiAssignSettings MidiAssignForm::Result() const {
    MidiAssignSettings s;
    s.bendUpTarget = TargetOfIndex(up.target);
    s.bendUpMax = static_cast<std::uint16_t>(ClampIndex(up.max, kLevelCount));
    s.bendUpMin = static_cast<std::uint16_t>(ClampIndex(up.min, kLevelCount));
    s.bendDownTarget = TargetOfIndex(down.target);
    s.bendDownMax = static_cast<std::uint16_t>(ClampIndex(down.max, kLevelCount));
    s.bendDownMin = static_cast<std::uint16_t>(ClampIndex(down.min, kLevelCount));
    s.keyTranspose = FieldValue(kTranspose);
    s.velocityPercent = FieldValue(kPercent);
    s.velocityOffset = FieldValue(kOffset);
    s.controllerFrom = static_cast<std::uint16_t>(FieldValue(kControllerFrom));
    s.controllerTo = static_cast<std::uint16_t>(FieldValue(kControllerTo));
    return s;
}

void MidiAssignForm::Ok(MidiAssignSettings& stored, MidiAssignment& live) const {
    stored = Result();
    live.Set(stored);
}

}  // namespace kvs
