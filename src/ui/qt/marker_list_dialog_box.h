#pragma once

#include "model/marker_list_form.h"
#include "ui/qt/dialog_base.h"

class QTreeWidget;

namespace kvs {

// Set, clear or jump to a marker: the 22 slots in a two-column list. OK
// leaves the chosen row selected in the form for its Ok().
class MarkerListDialogBox : public DialogBase {
    Q_OBJECT

  public:
    MarkerListDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                        MarkerListForm& form);

    QTreeWidget* List() const { return list_; }

  protected:
    void Accept() override;

  private:
    MarkerListForm& form_;
    QTreeWidget* list_;
};

}  // namespace kvs
