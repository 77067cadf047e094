#pragma once

#include <vector>

#include "model/value_dialog_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;

namespace kvs {

// The port chooser: the enabled MIDI OUT ports in a drop-down list. OK
// stores the picked port (or the default port) in field 0.
class ListDialogBox : public DialogBase {
    Q_OBJECT

  public:
    ListDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                  ValueDialog& dialog, std::vector<OutputPort> enabledPorts,
                  std::uint32_t defaultPort);

    QComboBox* List() const { return list_; }

  protected:
    void Accept() override;

  private:
    ListDialogForm form_;
    QComboBox* list_;
};

}  // namespace kvs
