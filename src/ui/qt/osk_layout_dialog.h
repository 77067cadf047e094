#pragma once

#include "ui/qt/dialog_base.h"

class QComboBox;
class QPushButton;

namespace kvs {

class HotKeyField;
class OskLayoutForm;

// The on-screen keyboard's layout options: which computer key plays each
// note, and the base key.
class OskLayoutDialog : public DialogBase {
    Q_OBJECT

  public:
    OskLayoutDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                    OskLayoutForm& form);

    QComboBox* Notes() const { return notes_; }
    HotKeyField* KeyField() const { return key_; }
    QComboBox* Base() const { return base_; }
    QPushButton* ResetButton() const { return reset_; }

  private:
    void Show();
    void Reset();

    OskLayoutForm& form_;
    QComboBox* notes_;
    HotKeyField* key_;
    QComboBox* base_;
    QPushButton* reset_;
};

}  // namespace kvs
