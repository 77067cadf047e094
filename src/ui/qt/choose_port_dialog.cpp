#include "ui/qt/choose_port_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "midi/port_association.h"
#include "ui/help_texts.h"

namespace kvs {

ChoosePortDialog::ChoosePortDialog(QWidget* parent, const PromptTable& prompts,
                                   const HelpTexts* help, ChoosePortForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      ports_(new QComboBox(this)),
      remember_(new QCheckBox(this)) {
    setWindowTitle(Prompt(prompt::file_newport_title));
    const QString text =
        ToQString(FormatPrompt(prompts.Text(prompt::file_newport_text), form_.FilePortName()));
    auto* question = new QLabel(text, this);
    question->setWordWrap(true);
    for (const ChoosePortForm::Item& item : form_.Items())
        ports_->addItem(ToQString(item.text));
    ports_->setCurrentIndex(form_.Selection());
    // The question is the list's label; a screen reader says which port is missing.
    ports_->setAccessibleName(WithoutMnemonic(text));
    question->setBuddy(ports_);
    remember_->setText(Prompt(prompt::file_newport_keep));
    remember_->setAccessibleName(WithoutMnemonic(remember_->text()));
    remember_->setChecked(form_.Remember());
    SetHelp(ports_, help_id::kChoosePortList);
    SetHelp(remember_, help_id::kChoosePortRemember);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(ports_);
    layout->addWidget(remember_);
    layout->addWidget(Buttons());
    question->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ChoosePortDialog::Accept() {
    form_.Select(ports_->currentIndex());
    form_.SetRemember(remember_->isChecked());
    accept();
}

}  // namespace kvs
