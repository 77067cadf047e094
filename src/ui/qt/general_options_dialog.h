#pragma once

#include <utility>
#include <vector>

#include "ui/qt/dialog_base.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kvs {

class GeneralOptionsForm;
struct FormLabel;

// General options: the preferred port, the playback delay, the switches and
// what happens when a file is loaded.
class GeneralOptionsDialog : public DialogBase {
    Q_OBJECT

  public:
    GeneralOptionsDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                         GeneralOptionsForm& form);

    QComboBox* Port() const { return port_; }
    QLineEdit* Delay() const { return delay_; }
    // By control id (GeneralOptionsForm::kFollowPlay ...); null for another.
    QCheckBox* Check(int controlId) const;
    QComboBox* ScanInit() const { return scanInit_; }
    QComboBox* AutoLoadSend() const { return autoLoadSend_; }

  protected:
    void Accept() override;

  private:
    QString Label(int controlId) const;
    QString Item(const FormLabel& item) const;
    QCheckBox* NewCheck(int controlId, bool checked);

    GeneralOptionsForm& form_;
    QComboBox* port_;
    QLineEdit* delay_;
    QComboBox* scanInit_;
    QComboBox* autoLoadSend_;
    std::vector<std::pair<int, QCheckBox*>> checks_;
};

}  // namespace kvs
