#include "ui/qt/value_dialog_box.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kvs {

ValueDialogBox::ValueDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                               ValueDialog& dialog)
    : DialogBase(parent, prompts, help), target_(dialog), work_(dialog), form_(work_) {
    setWindowTitle(Prompt(work_.title));
    auto* fields = new QFormLayout;
    for (std::size_t i = 0; i < form_.FieldCount(); ++i) {
        auto* edit = new QLineEdit(ToQString(form_.Text(i)), this);
        edit->setMaxLength(static_cast<int>(ValueDialogForm::kEditChars));
        SetHelp(edit, work_.fields[i].helpId);
        fields->addRow(BuddyLabel(Prompt(work_.fields[i].label), edit), edit);
        edits_[i] = edit;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (edits_[0] != nullptr) edits_[0]->selectAll();
}

void ValueDialogBox::CopyTextsIn() {
    for (std::size_t i = 0; i < form_.FieldCount(); ++i)
        form_.SetText(i, edits_[i]->text().toStdString());
}

void ValueDialogBox::Accept() {
    CopyTextsIn();
    if (!form_.Ok()) {
        ShowInvalidValue();
        return;
    }
    for (std::size_t i = 0; i < form_.FieldCount(); ++i)
        target_.fields[i].value = work_.fields[i].value;
    accept();
}

void ValueDialogBox::MidiIn(std::uint32_t message) {
    int focused = -1;
    for (std::size_t i = 0; i < form_.FieldCount(); ++i)
        if (edits_[i]->hasFocus()) focused = static_cast<int>(i);
    CopyTextsIn();
    form_.SetFocus(focused);
    form_.MidiIn(message);
    if (focused >= 0) {
        const auto field = static_cast<std::size_t>(focused);
        edits_[field]->setText(ToQString(form_.Text(field)));
    }
}

}  // namespace kvs
