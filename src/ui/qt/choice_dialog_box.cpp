#include "ui/qt/choice_dialog_box.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kvs {

ChoiceDialogBox::ChoiceDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                                 const PromptText& title, const PromptText& label,
                                 const std::vector<std::string>& items, std::uint32_t initial)
    : DialogBase(parent, prompts, help), list_(new QComboBox(this)) {
    setWindowTitle(Prompt(title));
    for (const std::string& item : items)
        list_->addItem(ToQString(item));
    if (initial < items.size()) list_->setCurrentIndex(static_cast<int>(initial));
    list_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(Prompt(label), list_), list_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::uint32_t ChoiceDialogBox::Chosen() const {
    return static_cast<std::uint32_t>(std::max(list_->currentIndex(), 0));
}

}  // namespace kvs
