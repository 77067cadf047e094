#pragma once

#include "ui/qt/dialog_base.h"

class QGridLayout;

namespace kvs {

struct CommandLineHelp;

// The command-line help box: the syntax line and the options as a
// two-column table (a row without a tab spans both columns).
class CommandLineHelpDialog : public DialogBase {
    Q_OBJECT

  public:
    CommandLineHelpDialog(QWidget* parent, const PromptTable& prompts,
                          const CommandLineHelp& texts);

    QGridLayout* Table() const { return table_; }

  private:
    QGridLayout* table_;
};

}  // namespace kvs
