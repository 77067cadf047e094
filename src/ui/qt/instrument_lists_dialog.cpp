#include "ui/qt/instrument_lists_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "config/instrument_lists_form.h"
#include "ui/help_texts.h"

namespace kvs {
namespace {

constexpr std::uint32_t kHelpPorts = 2621;
constexpr std::uint32_t kHelpInstruments = 2622;

// Wide enough for its longest row, and never narrower than a short name.
int ListWidth(const QListWidget& list) {
    int width = list.fontMetrics().averageCharWidth() * 20;
    for (int row = 0; row < list.count(); ++row)
        width = std::max(width, list.fontMetrics().horizontalAdvance(list.item(row)->text()));
    return width + list.frameWidth() * 2 + list.fontMetrics().averageCharWidth() * 4;
}

}  // namespace

InstrumentListsDialog::InstrumentListsDialog(QWidget* parent, const PromptTable& prompts,
                                             const HelpTexts* help, InstrumentListsForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      ports_(new QListWidget(this)),
      instruments_(new QListWidget(this)) {
    setWindowTitle(ToQString(prompts.TextOf(InstrumentListsForm::kTitlePrompt)));
    for (const std::string& row : form_.PortRows())
        ports_->addItem(ToQString(row));
    for (const std::string& row : form_.InstrumentRows())
        instruments_->addItem(ToQString(row));
    ports_->setCurrentRow(form_.SelectedPort());
    instruments_->setCurrentRow(form_.SelectedInstrument());
    // Nothing to assign without a port.
    instruments_->setEnabled(form_.SelectedPort() >= 0);
    ports_->setMinimumWidth(ListWidth(*ports_));
    instruments_->setMinimumWidth(ListWidth(*instruments_));
    SetHelp(ports_, kHelpPorts);
    SetHelp(instruments_, kHelpInstruments);

    connect(ports_, &QListWidget::currentRowChanged, this, [this](int row) {
        form_.SelectPort(row);
        const QSignalBlocker quiet(instruments_);
        instruments_->setCurrentRow(form_.SelectedInstrument());
    });
    connect(instruments_, &QListWidget::currentRowChanged, this,
            [this](int row) { form_.SelectInstrument(row); });

    auto* lists = new QGridLayout;
    lists->addWidget(
        BuddyLabel(ToQString(prompts.TextOf(InstrumentListsForm::kPortPrompt)), ports_), 0, 0);
    lists->addWidget(
        BuddyLabel(ToQString(prompts.TextOf(InstrumentListsForm::kInstrumentPrompt)), instruments_),
        0, 1);
    lists->addWidget(ports_, 1, 0);
    lists->addWidget(instruments_, 1, 1);
    lists->setRowStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(Buttons());
    ports_->setFocus();
}

}  // namespace kvs
