#pragma once

#include <array>
#include <cstdint>

#include "model/value_dialog_form.h"
#include "ui/qt/dialog_base.h"

class QLineEdit;

namespace kvs {

// The face of the one-to-three-value dialog. It works on a copy of the
// description, so Cancel (even after a refused OK) leaves the caller's
// values as they were; a successful OK copies the values back.
class ValueDialogBox : public DialogBase {
    Q_OBJECT

  public:
    ValueDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                   ValueDialog& dialog);

    QLineEdit* Field(std::size_t index) const { return edits_[index]; }
    void MidiIn(std::uint32_t message) override;

  protected:
    void Accept() override;

  private:
    void CopyTextsIn();

    ValueDialog& target_;
    ValueDialog work_;
    ValueDialogForm form_;
    std::array<QLineEdit*, ValueDialog::kMaxFields> edits_{};
};

}  // namespace kvs
