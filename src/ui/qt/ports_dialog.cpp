#include "ui/qt/ports_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/qt/message_dialogs.h"

namespace kvs {
namespace {

constexpr std::uint32_t kHelpDeviceList = 2350;
constexpr std::uint32_t kHelpName = 2351;
constexpr std::uint32_t kHelpUse = 2352;
constexpr int kVisibleRows = 8;

// Errors of the reopened devices, in boxes over the dialog.
class BoxErrors final : public MidiErrorReporter {
  public:
    BoxErrors(QWidget* parent, const PromptTable& prompts) : parent_(parent), prompts_(prompts) {}
    void ShowError(const std::string& text) override { ShowErrorBox(parent_, prompts_, text); }

  private:
    QWidget* parent_;
    const PromptTable& prompts_;
};

}  // namespace

PortsDialog::PortsDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                         PortsForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      list_(new QListWidget(this)),
      name_(new QLineEdit(this)),
      use_(new QCheckBox(Prompt(prompt::opts_ports_enabledev), this)) {
    setWindowTitle(Prompt(prompt::opts_ports_title));
    QFont headingFont = list_->font();
    headingFont.setBold(true);
    for (const PortsForm::Line& line : form_.Lines()) {
        auto* item = new QListWidgetItem(list_);
        if (line.heading) {
            item->setText(Prompt(line.kind == MidiDeviceKind::In ? prompt::opts_ports_midiindev
                                                                 : prompt::opts_ports_midioutdev));
            item->setFont(headingFont);
        } else {
            // The device line's tab stop, as an indent the list can draw.
            item->setText(QStringLiteral("    ") + ToQString(line.text).trimmed());
        }
    }
    list_->setMinimumWidth(
        std::max(list_->sizeHintForColumn(0), list_->fontMetrics().averageCharWidth() * 40) +
        2 * list_->frameWidth() + 24);
    list_->setMinimumHeight(list_->sizeHintForRow(0) * kVisibleRows + 2 * list_->frameWidth());
    list_->setCurrentRow(-1);
    name_->setMaxLength(static_cast<int>(kFriendlyNameEditLimit));
    use_->setAccessibleName(WithoutMnemonic(use_->text()));
    SetHelp(list_, kHelpDeviceList);
    SetHelp(name_, kHelpName);
    SetHelp(use_, kHelpUse);
    ShowControls();

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        form_.SetNameText(name_->text().toStdString());
        form_.SetUseChecked(use_->isChecked());
        form_.Select(row);
        ShowControls();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuddyLabel(Prompt(prompt::opts_ports_mididev), list_));
    layout->addWidget(list_);
    auto* rows = new QFormLayout;
    rows->addRow(BuddyLabel(Prompt(prompt::opts_ports_frlyname), name_), name_);
    rows->addRow(use_);
    layout->addLayout(rows);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    list_->setFocus();
}

void PortsDialog::ShowControls() {
    const QSignalBlocker nameBlock(name_);
    const QSignalBlocker useBlock(use_);
    name_->setText(ToQString(form_.NameText()));
    use_->setChecked(form_.UseChecked());
    name_->setEnabled(form_.ControlsEnabled());
    use_->setEnabled(form_.ControlsEnabled());
}

void PortsDialog::Accept() {
    form_.SetNameText(name_->text().toStdString());
    form_.SetUseChecked(use_->isChecked());
    BoxErrors errors(this, prompts_);
    if (form_.Ok(errors)) accept();
}

}  // namespace kvs
