#pragma once

#include "ui/qt/dialog_base.h"

class QListWidget;
class QRadioButton;

namespace kvs {

class InsertFromFileForm;

// Which track of the chosen file to put in, and whether to make room for
// it or merge it with what is there.
class InsertFromFileDialog : public DialogBase {
    Q_OBJECT

  public:
    InsertFromFileDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                         InsertFromFileForm& form);

    QListWidget* Tracks() const { return tracks_; }
    QRadioButton* InsertButton() const { return insert_; }
    QRadioButton* MergeButton() const { return merge_; }

  protected:
    void Accept() override;

  private:
    InsertFromFileForm& form_;
    QListWidget* tracks_;
    QRadioButton* insert_;
    QRadioButton* merge_;
};

}  // namespace kvs
