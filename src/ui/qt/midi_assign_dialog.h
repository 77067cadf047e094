#pragma once

#include <array>

#include "midi/midi_assignment_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;
class QLabel;
class QSpinBox;

namespace kvs {

// The MIDI Assignments face: transpose, velocity and controller fields with
// spin controls, and what each half of the pitch-bend wheel does.
class MidiAssignDialog : public DialogBase {
    Q_OBJECT

  public:
    MidiAssignDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                     MidiAssignForm& form);

    QSpinBox* Field(MidiAssignForm::Field field) const { return fields_[field]; }
    QComboBox* UpTarget() const { return up_.target; }
    QComboBox* UpMax() const { return up_.max; }

  protected:
    void Accept() override;

  private:
    struct BendControls {
        QComboBox* target = nullptr;
        QComboBox* max = nullptr;
        QComboBox* min = nullptr;
        QLabel* maxLabel = nullptr;
        QLabel* minLabel = nullptr;
    };
    struct BendPrompts {
        PromptText group;
        PromptText does;
        PromptText max;
        PromptText min;
    };

    QWidget* BendGroup(const BendPrompts& texts, const MidiAssignForm::BendGroup& values,
                       BendControls& controls);
    static void EnableLevels(const BendControls& controls);
    static MidiAssignForm::BendGroup Read(const BendControls& controls);

    MidiAssignForm& form_;
    std::array<QSpinBox*, MidiAssignForm::kFieldCount> fields_{};
    BendControls up_;
    BendControls down_;
};

}  // namespace kvs
