#include "ui/qt/key_commands_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "config/property_form_sources.h"

namespace kvs {
namespace {

constexpr std::uint32_t kHelpKeyList = 2320;
constexpr std::uint32_t kHelpCommandList = 2321;
constexpr int kVisibleRows = 16;

void SizeList(QListWidget* list, int minChars) {
    const int width =
        std::max(list->sizeHintForColumn(0), list->fontMetrics().averageCharWidth() * minChars);
    list->setMinimumWidth(width + 2 * list->frameWidth() + 24);
    list->setMinimumHeight(list->sizeHintForRow(0) * kVisibleRows + 2 * list->frameWidth());
}

}  // namespace

KeyCommandsDialog::KeyCommandsDialog(QWidget* parent, const PromptTable& prompts,
                                     const HelpTexts* help, KeyCommandsForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      keys_(new QListWidget(this)),
      commands_(new QListWidget(this)) {
    setWindowTitle(Prompt(prompts::kKeyCmdTitle));
    for (const std::string& item : KeyCommandsForm::KeyItems())
        keys_->addItem(ToQString(item));
    for (const std::string& item : KeyCommandsForm::ActionItems(PromptTableSource(prompts)))
        commands_->addItem(ToQString(item));
    SizeList(keys_, 10);
    SizeList(commands_, 24);
    keys_->setMaximumWidth(keys_->minimumWidth());
    SetHelp(keys_, kHelpKeyList);
    SetHelp(commands_, kHelpCommandList);
    ShowSelection();

    connect(keys_, &QListWidget::currentRowChanged, this, [this](int row) {
        form_.SelectKey(row);
        ShowSelection();
    });
    connect(commands_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) form_.SelectAction(static_cast<std::uint32_t>(row));
    });

    auto* lists = new QGridLayout;
    lists->addWidget(BuddyLabel(Prompt(prompts::kKeyCmdKey), keys_), 0, 0);
    lists->addWidget(BuddyLabel(Prompt(prompts::kKeyCmdCommand), commands_), 0, 1);
    lists->addWidget(keys_, 1, 0);
    lists->addWidget(commands_, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    keys_->setFocus();
}

void KeyCommandsDialog::ShowSelection() {
    const QSignalBlocker keyBlock(keys_);
    const QSignalBlocker commandBlock(commands_);
    keys_->setCurrentRow(form_.KeySelection());
    commands_->setCurrentRow(static_cast<int>(form_.ActionSelection()));
    commands_->scrollToItem(commands_->currentItem());
}

void KeyCommandsDialog::MidiIn(std::uint32_t message) {
    form_.SetKeyListFocus(focusWidget() == keys_);
    form_.MidiIn(message);
    ShowSelection();
}

}  // namespace kvs
