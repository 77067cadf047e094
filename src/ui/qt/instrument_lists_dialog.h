#pragma once

#include "ui/qt/dialog_base.h"

class QListWidget;

namespace kvs {

class InstrumentListsForm;

// Which instrument list each enabled MIDI OUT port uses.
class InstrumentListsDialog : public DialogBase {
    Q_OBJECT

  public:
    InstrumentListsDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                          InstrumentListsForm& form);

    QListWidget* Ports() const { return ports_; }
    QListWidget* Instruments() const { return instruments_; }

  private:
    InstrumentListsForm& form_;
    QListWidget* ports_;
    QListWidget* instruments_;
};

}  // namespace kvs
