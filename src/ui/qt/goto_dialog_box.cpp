#include "ui/qt/goto_dialog_box.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/help_texts.h"

namespace kvs {

GotoDialogBox::GotoDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                             GotoForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      units_(new QComboBox(this)),
      number_(new QLineEdit(this)) {
    setWindowTitle(Prompt(prompts::kGotoTitle));
    for (const PromptText& item : GotoForm::kUnitItems)
        units_->addItem(Prompt(item));
    units_->setCurrentIndex(static_cast<int>(form_.Unit()));
    number_->setMaxLength(static_cast<int>(GotoForm::kNumberChars));
    number_->setText(ToQString(form_.Text()));
    number_->selectAll();
    SetHelp(units_, help_id::kGotoUnit);
    SetHelp(number_, help_id::kGotoNumber);
    connect(units_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        form_.SetUnit(static_cast<DisplayUnit>(index));
        number_->setText(ToQString(form_.Text()));
    });

    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(Prompt(prompts::kGotoType), units_), units_);
    fields->addRow(BuddyLabel(Prompt(prompts::kGotoNumber), number_), number_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    number_->setFocus();
}

void GotoDialogBox::Accept() {
    form_.SetText(number_->text().toStdString());
    if (!form_.Ok()) {
        ShowInvalidValue();
        return;
    }
    accept();
}

}  // namespace kvs
