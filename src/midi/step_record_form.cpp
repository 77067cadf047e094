#include "midi/step_record_form.h"

namespace kvs {

ValueDialog StepRecordDialog() {
    ValueDialog d;
    d.SetUp({"step_rec_title", "Step Record"}, 2);
    d.SetField(0, kStepDefaultTicks, kStepMinTicks, kStepMaxTicks, FieldKind::Duration, 0,
               {"step_rec_notelen", "&Note length:"});
    d.SetField(1, kStepDefaultTicks, kStepMinTicks, kStepMaxTicks, FieldKind::Duration, 0,
               {"step_rec_stepsize", "&Step size:"});
    return d;
}

StepRecordValues StepRecordResult(const ValueDialog& dialog) {
    return StepRecordValues{static_cast<std::uint32_t>(dialog.fields[0].value),
                            static_cast<std::uint32_t>(dialog.fields[1].value)};
}

}  // namespace kvs
