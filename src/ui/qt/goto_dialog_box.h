#pragma once

#include "model/goto_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;
class QLineEdit;

namespace kvs {

// Goto: a unit list and a number field over GotoForm. After OK the form's
// Ok() gives the beat.
class GotoDialogBox : public DialogBase {
    Q_OBJECT

  public:
    GotoDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                  GotoForm& form);

    QComboBox* Units() const { return units_; }
    QLineEdit* Number() const { return number_; }

  protected:
    void Accept() override;

  private:
    GotoForm& form_;
    QComboBox* units_;
    QLineEdit* number_;
};

}  // namespace kvs
