#include "ui/qt/list_dialog_box.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/help_texts.h"

namespace kvs {

ListDialogBox::ListDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                             ValueDialog& dialog, std::vector<OutputPort> enabledPorts,
                             std::uint32_t defaultPort)
    : DialogBase(parent, prompts, help),
      form_(dialog, std::move(enabledPorts), defaultPort),
      list_(new QComboBox(this)) {
    setWindowTitle(Prompt(dialog.title));
    for (const OutputPort& port : form_.Ports())
        list_->addItem(ToQString(port.name));
    list_->setCurrentIndex(form_.Selection());
    list_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    SetHelp(list_, dialog.fields[0].helpId != 0 ? dialog.fields[0].helpId : help_id::kPortList);
    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(Prompt(dialog.fields[0].label), list_), list_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ListDialogBox::Accept() {
    form_.Select(list_->currentIndex());
    form_.Ok();
    accept();
}

}  // namespace kvs
