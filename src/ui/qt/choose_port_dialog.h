#pragma once

#include "ui/qt/dialog_base.h"

class QCheckBox;
class QComboBox;

namespace kvs {

class ChoosePortForm;

// "Choose Port": which enabled output stands in for a port a file names
// that this machine does not have, and whether to remember the choice.
class ChoosePortDialog : public DialogBase {
    Q_OBJECT

  public:
    ChoosePortDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                     ChoosePortForm& form);

    QComboBox* Ports() const { return ports_; }
    QCheckBox* Remember() const { return remember_; }

  protected:
    void Accept() override;

  private:
    ChoosePortForm& form_;
    QComboBox* ports_;
    QCheckBox* remember_;
};

}  // namespace kvs
