#pragma once

#include "midi/ports_form.h"
#include "ui/qt/dialog_base.h"

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace kvs {

// The Ports face: the MIDI devices under their headings, and the friendly
// name and use flag of the selected one. OK is refused (the dialog stays
// open) while no output is enabled; once taken, the devices are reopened.
class PortsDialog : public DialogBase {
    Q_OBJECT

  public:
    PortsDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                PortsForm& form);

    QListWidget* Devices() const { return list_; }
    QLineEdit* NameEdit() const { return name_; }
    QCheckBox* UseBox() const { return use_; }

  protected:
    void Accept() override;

  private:
    void ShowControls();

    PortsForm& form_;
    QListWidget* list_;
    QLineEdit* name_;
    QCheckBox* use_;
};

}  // namespace kvs
