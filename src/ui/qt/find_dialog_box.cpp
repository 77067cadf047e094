#include "ui/qt/find_dialog_box.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/help_texts.h"

namespace kvs {

FindDialogBox::FindDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                             const FindRequest& current)
    : DialogBase(parent, prompts, help),
      form_(current),
      kinds_(new QComboBox(this)),
      number_(new QLineEdit(this)),
      back_(new QRadioButton(this)),
      forward_(new QRadioButton(this)) {
    setWindowTitle(Prompt(prompts::kFindTitle));
    for (const FindForm::Kind& kind : FindForm::kKinds)
        kinds_->addItem(Prompt(kind.name));
    kinds_->setCurrentIndex(static_cast<int>(form_.KindIndex()));
    number_->setMaxLength(static_cast<int>(FindForm::kNumberChars));
    number_->setText(ToQString(form_.NumberText()));
    number_->setEnabled(form_.NumberEnabled());
    connect(kinds_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        CopyIn();
        form_.SetKind(static_cast<std::size_t>(index));
        number_->setText(ToQString(form_.NumberText()));
        number_->setEnabled(form_.NumberEnabled());
    });

    auto* direction = new QGroupBox(Prompt(prompts::kFindDirection), this);
    back_->setText(Prompt(prompts::kFindBack));
    forward_->setText(Prompt(prompts::kFindForward));
    back_->setAccessibleName(WithoutMnemonic(back_->text()));
    forward_->setAccessibleName(WithoutMnemonic(forward_->text()));
    (form_.Backward() ? back_ : forward_)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(back_);
    directionLayout->addWidget(forward_);
    SetHelp(kinds_, help_id::kFindKind);
    SetHelp(number_, help_id::kFindNumber);
    SetHelp(back_, help_id::kFindDirection);
    SetHelp(forward_, help_id::kFindDirection);

    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(Prompt(prompts::kFindWhat), kinds_), kinds_);
    fields->addRow(BuddyLabel(Prompt(prompts::kFindNumber), number_), number_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(direction);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void FindDialogBox::CopyIn() {
    form_.SetNumberText(number_->text().toStdString());
    form_.SetBackward(back_->isChecked());
}

void FindDialogBox::Accept() {
    CopyIn();
    result_ = form_.Ok();
    if (!result_) {
        ShowInvalidValue();
        return;
    }
    accept();
}

void FindDialogBox::MidiIn(std::uint32_t message) {
    CopyIn();
    form_.SetNumberFocus(number_->hasFocus());
    form_.MidiIn(message);
    number_->setText(ToQString(form_.NumberText()));
}

}  // namespace kvs
