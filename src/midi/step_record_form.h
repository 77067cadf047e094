#pragma once

#include <cstdint>

#include "model/value_dialog_form.h"

namespace kvs {

inline constexpr std::int32_t kStepDefaultTicks = 48;
inline constexpr std::int32_t kStepMinTicks = 2;
inline constexpr std::int32_t kStepMaxTicks = 48 * 192;

// The Step Record dialog's description: note length and step size as beats
// and ticks, both at 48 ticks every time it opens.
ValueDialog StepRecordDialog();

struct StepRecordValues {
    std::uint32_t noteLength = kStepDefaultTicks;
    std::uint32_t stepSize = kStepDefaultTicks;
};

// The values of a dialog accepted by its form.
StepRecordValues StepRecordResult(const ValueDialog& dialog);

}  // namespace kvs
