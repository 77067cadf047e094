#pragma once

#include "ui/qt/dialog_base.h"

class QComboBox;

namespace kvs {

class NoteTransformForm;

// Which transformation, counted from which base key.
class NoteTransformDialog : public DialogBase {
    Q_OBJECT

  public:
    NoteTransformDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                        NoteTransformForm& form);

    QComboBox* Transforms() const { return transforms_; }
    QComboBox* Keys() const { return keys_; }

  protected:
    void Accept() override;

  private:
    NoteTransformForm& form_;
    QComboBox* transforms_;
    QComboBox* keys_;
};

}  // namespace kvs
