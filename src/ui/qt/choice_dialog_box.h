#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/qt/dialog_base.h"

class QComboBox;

namespace kvs {

// A drop-down list of texts with OK and Cancel; OK yields the chosen item.
class ChoiceDialogBox : public DialogBase {
    Q_OBJECT

  public:
    ChoiceDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                    const PromptText& title, const PromptText& label,
                    const std::vector<std::string>& items, std::uint32_t initial);

    QComboBox* List() const { return list_; }
    std::uint32_t Chosen() const;

  private:
    QComboBox* list_;
};

}  // namespace kvs
