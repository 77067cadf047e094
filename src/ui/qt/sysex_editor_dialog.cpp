#include "ui/qt/sysex_editor_dialog.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/qt/message_dialogs.h"
#include "ui/qt/syx_view_widget.h"
#include "ui/sysex_editor_form.h"

namespace kvs {
namespace {

constexpr std::uint32_t kViewHelp = 2480;
constexpr std::uint32_t kSendHelp = 2482;

}  // namespace

SysexEditorDialog::SysexEditorDialog(QWidget* parent, const PromptTable& prompts,
                                     const HelpTexts* help, SysexEditorForm& form)
    : DialogBase(parent, prompts, help), form_(form) {
    setObjectName(QStringLiteral("SyxEditBox"));
    setWindowTitle(Prompt(prompt::sysexedit_title));
    auto* layout = new QVBoxLayout(this);

    view_ = new SyxViewWidget(form_.View(), prompts, this);
    view_->setObjectName(QStringLiteral("KvsSyxViewClass"));
    view_->setAccessibleName(windowTitle());
    SetHelp(view_, kViewHelp);
    layout->addWidget(view_, 1);

    if (!form_.Note().empty()) {
        auto* note = new QLabel(ToQString(form_.Note()), this);
        note->setObjectName(QStringLiteral("ReadOnlyNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }

    buttons_ = Buttons();
    send_ = buttons_->addButton(Prompt(prompt::sysexedit_send), QDialogButtonBox::ActionRole);
    send_->setAccessibleName(WithoutMnemonic(send_->text()));
    SetHelp(send_, kSendHelp);
    // Return stays with OK even after Send was clicked.
    send_->setAutoDefault(false);
    send_->setEnabled(form_.SendEnabled());
    connect(send_, &QPushButton::clicked, this, &SysexEditorDialog::Send);
    layout->addWidget(buttons_);

    view_->setFocus(Qt::OtherFocusReason);
}

void SysexEditorDialog::Accept() {
    if (const auto error = form_.Accept()) {
        ShowErrorBox(this, prompts_, *error);
        view_->setFocus();
        return;
    }
    accept();
}

void SysexEditorDialog::done(int result) {
    if (form_.Sending()) return;
    DialogBase::done(result);
}

void SysexEditorDialog::Send() {
    if (const auto error = form_.StartSend()) {
        ShowErrorBox(this, prompts_, *error);
        view_->setFocus();
        return;
    }
    if (form_.Sending()) {
        // The window goes on answering (SYSEX_DONE among the rest) while the
        // queue empties; only the buttons wait.
        buttons_->setEnabled(false);
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(100);
        connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
            if (form_.SendFinished()) loop.quit();
        });
        poll.start();
        loop.exec();
        buttons_->setEnabled(true);
    }
    view_->setFocus();
}

}  // namespace kvs
