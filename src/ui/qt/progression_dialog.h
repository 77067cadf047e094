#pragma once

#include <array>
#include <cstdint>

#include "tools/progression_form.h"
#include "ui/qt/dialog_base.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kvs {

class TextSpinBox;

// The progression's parameters: what to write, from where to where, and the
// oscillator that may move the values. OK stores what it reads even when a
// later value is refused, as the form does.
class ProgressionDialog : public DialogBase {
    Q_OBJECT

  public:
    ProgressionDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                      ProgressionForm& form);

    QComboBox* Types() const { return types_; }
    QComboBox* Waves() const { return waves_; }
    // The edit box of a field (a spin box's own line edit).
    QLineEdit* Field(ProgressionField field) const;
    QCheckBox* LfoToValue() const { return lfoToValue_; }
    QCheckBox* LfoToVelocity() const { return lfoToVelocity_; }
    QCheckBox* FilterDuplicates() const { return filter_; }
    void MidiIn(std::uint32_t message) override;

  protected:
    void Accept() override;

  private:
    void TypeChosen(int index);
    void CopyIn();
    int FocusedField() const;

    ProgressionForm& form_;
    QComboBox* types_;
    QComboBox* waves_;
    std::array<QWidget*, kProgressionFieldCount> controls_{};
    std::array<QLineEdit*, kProgressionFieldCount> edits_{};
    QCheckBox* lfoToValue_;
    QCheckBox* lfoToVelocity_;
    QCheckBox* filter_;
};

}  // namespace kvs
