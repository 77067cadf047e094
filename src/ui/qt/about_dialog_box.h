#pragma once

#include <string>

#include "ui/qt/dialog_base.h"

namespace kvs {

// About: the program's icon, name, version and owner notice.
class AboutDialogBox : public DialogBase {
    Q_OBJECT

  public:
    AboutDialogBox(QWidget* parent, const PromptTable& prompts, const std::string& version);
};

}  // namespace kvs
