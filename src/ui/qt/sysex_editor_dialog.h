#pragma once

#include "ui/qt/dialog_base.h"

class QDialogButtonBox;
class QPushButton;

namespace kvs {

class SysexEditorForm;
class SyxViewWidget;

// "SyxEditBox": the hex view of one SysEx message with OK, Cancel and Send.
// The hex view has the keyboard focus; Return presses OK.
class SysexEditorDialog : public DialogBase {
    Q_OBJECT

  public:
    SysexEditorDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                      SysexEditorForm& form);

    SyxViewWidget* HexView() const { return view_; }
    QPushButton* SendButton() const { return send_; }

    // While a Send waits for the queue the dialog cannot close: the copy
    // being sent belongs to the form.
    void done(int result) override;

  protected:
    void Accept() override;

  private:
    void Send();

    SysexEditorForm& form_;
    SyxViewWidget* view_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* send_ = nullptr;
};

}  // namespace kvs
