#pragma once

#include <string>
#include <vector>

#include "ui/qt/dialog_base.h"

class QTreeWidget;

namespace kvs {

// Track Statistics: one row per counter, label and value; Close ends it.
class TrackStatisticsDialog : public DialogBase {
    Q_OBJECT

  public:
    // rows: "label\tvalue" each.
    TrackStatisticsDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                          const std::vector<std::string>& rows);

    QTreeWidget* List() const { return list_; }

  private:
    QTreeWidget* list_;
};

}  // namespace kvs
