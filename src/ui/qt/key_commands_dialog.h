#pragma once

#include <cstdint>

#include "midi/key_commands_form.h"
#include "ui/qt/dialog_base.h"

class QListWidget;

namespace kvs {

// The MIDI Key Commands face: the keys 21 to 108 beside the command each
// one runs. A key played while the key list has the focus selects itself.
class KeyCommandsDialog : public DialogBase {
    Q_OBJECT

  public:
    KeyCommandsDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                      KeyCommandsForm& form);

    QListWidget* Keys() const { return keys_; }
    QListWidget* Commands() const { return commands_; }
    void MidiIn(std::uint32_t message) override;

  private:
    void ShowSelection();

    KeyCommandsForm& form_;
    QListWidget* keys_;
    QListWidget* commands_;
};

}  // namespace kvs
