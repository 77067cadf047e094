#include "ui/qt/message_dialogs.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/dialog_base.h"

namespace kvs {
namespace {

QPushButton* AddButton(QMessageBox& box, const PromptTable& prompts, prompt::Id text,
                       QMessageBox::ButtonRole role) {
    const QString label = ToQString(prompts.Text(text));
    QPushButton* button = box.addButton(label, role);
    button->setAccessibleName(WithoutMnemonic(label));
    return button;
}

}  // namespace

void ShowErrorBox(QWidget* parent, const PromptTable& prompts, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, kProgramCaption, ToQString(text), QMessageBox::NoButton,
                    parent);
    box.setDefaultButton(AddButton(box, prompts, prompt::ok, QMessageBox::AcceptRole));
    box.exec();
}

void ShowInfoBox(QWidget* parent, const PromptTable& prompts, const std::string& text) {
    QMessageBox box(QMessageBox::Information, kProgramCaption, ToQString(text),
                    QMessageBox::NoButton, parent);
    box.setDefaultButton(AddButton(box, prompts, prompt::ok, QMessageBox::AcceptRole));
    box.exec();
}

MessageAnswer AskYesNoCancelBox(QWidget* parent, const PromptTable& prompts,
                                const std::string& text) {
    QMessageBox box(QMessageBox::Question, kProgramCaption, ToQString(text), QMessageBox::NoButton,
                    parent);
    QPushButton* yes = AddButton(box, prompts, prompt::yes, QMessageBox::YesRole);
    QPushButton* no = AddButton(box, prompts, prompt::no, QMessageBox::NoRole);
    QPushButton* cancel = AddButton(box, prompts, prompt::cancel, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return MessageAnswer::Yes;
    if (box.clickedButton() == no) return MessageAnswer::No;
    return MessageAnswer::Cancel;
}

bool AskYesNoBox(QWidget* parent, const PromptTable& prompts, const std::string& text) {
    QMessageBox box(QMessageBox::Question, kProgramCaption, ToQString(text), QMessageBox::NoButton,
                    parent);
    QPushButton* yes = AddButton(box, prompts, prompt::yes, QMessageBox::YesRole);
    QPushButton* no = AddButton(box, prompts, prompt::no, QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace kvs
