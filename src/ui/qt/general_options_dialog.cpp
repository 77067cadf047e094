#include "ui/qt/general_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "config/general_options_form.h"
#include "ui/help_texts.h"

namespace kvs {
namespace {

constexpr int kTitle = 0;
constexpr int kPortLabel = 2050;
constexpr int kDelayLabel = 2052;
constexpr int kLoadGroup = 2059;
constexpr int kScanInitLabel = 2060;
constexpr int kAutoLoadSendLabel = 2062;

}  // namespace

GeneralOptionsDialog::GeneralOptionsDialog(QWidget* parent, const PromptTable& prompts,
                                           const HelpTexts* help, GeneralOptionsForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      port_(new QComboBox(this)),
      delay_(new QLineEdit(this)),
      scanInit_(new QComboBox(this)),
      autoLoadSend_(new QComboBox(this)) {
    using F = GeneralOptionsForm;
    setWindowTitle(Label(kTitle));
    for (const PortChoice& choice : form_.ports)
        port_->addItem(ToQString(choice.name));
    port_->setCurrentIndex(form_.portIndex);
    port_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    delay_->setText(ToQString(form_.delayText));
    delay_->setMaxLength(10);
    delay_->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    for (const FormLabel& item : F::ScanInitItems())
        scanInit_->addItem(Item(item));
    scanInit_->setCurrentIndex(form_.scanInitIndex);
    for (const FormLabel& item : F::AutoLoadSendItems())
        autoLoadSend_->addItem(Item(item));
    autoLoadSend_->setCurrentIndex(form_.autoLoadSendIndex);
    SetHelp(port_, F::kPortList);
    SetHelp(delay_, F::kDelayField);
    SetHelp(scanInit_, F::kScanInitList);
    SetHelp(autoLoadSend_, F::kAutoLoadSendList);

    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(Label(kPortLabel), port_), port_);
    fields->addRow(BuddyLabel(Label(kDelayLabel), delay_), delay_);
    auto* switches = new QVBoxLayout;
    switches->addWidget(NewCheck(F::kFollowPlay, form_.followPlay));
    switches->addWidget(NewCheck(F::kConfirmRecord, form_.confirmRecord));
    switches->addWidget(NewCheck(F::kMidiInDialogs, form_.midiInDialogs));
    switches->addWidget(NewCheck(F::kKeyCommands, form_.keyCommands));
    switches->addWidget(NewCheck(F::kAutoLocal, form_.autoLocal));

    auto* load = new QGroupBox(Label(kLoadGroup), this);
    auto* loadFields = new QFormLayout(load);
    loadFields->addRow(BuddyLabel(Label(kScanInitLabel), scanInit_), scanInit_);
    loadFields->addRow(BuddyLabel(Label(kAutoLoadSendLabel), autoLoadSend_), autoLoadSend_);
    loadFields->addRow(NewCheck(F::kAutoClean, form_.autoClean));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(switches);
    layout->addWidget(load);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    port_->setFocus();
}

QString GeneralOptionsDialog::Item(const FormLabel& item) const {
    const std::string_view text = prompts_.TextOf(item.promptKey);
    return ToQString(text.empty() ? item.text : text);
}

QString GeneralOptionsDialog::Label(int controlId) const {
    for (const FormLabel& label : GeneralOptionsForm::Labels())
        if (label.controlId == controlId) return Item(label);
    return {};
}

QCheckBox* GeneralOptionsDialog::NewCheck(int controlId, bool checked) {
    auto* box = new QCheckBox(Label(controlId), this);
    box->setChecked(checked);
    box->setAccessibleName(WithoutMnemonic(box->text()));
    SetHelp(box, static_cast<std::uint32_t>(controlId));
    checks_.emplace_back(controlId, box);
    return box;
}

QCheckBox* GeneralOptionsDialog::Check(int controlId) const {
    for (const auto& [id, box] : checks_)
        if (id == controlId) return box;
    return nullptr;
}

void GeneralOptionsDialog::Accept() {
    using F = GeneralOptionsForm;
    form_.portIndex = port_->currentIndex();
    form_.delayText = delay_->text().toStdString();
    form_.followPlay = Check(F::kFollowPlay)->isChecked();
    form_.confirmRecord = Check(F::kConfirmRecord)->isChecked();
    form_.midiInDialogs = Check(F::kMidiInDialogs)->isChecked();
    form_.keyCommands = Check(F::kKeyCommands)->isChecked();
    form_.autoLocal = Check(F::kAutoLocal)->isChecked();
    form_.scanInitIndex = scanInit_->currentIndex();
    form_.autoLoadSendIndex = autoLoadSend_->currentIndex();
    form_.autoClean = Check(F::kAutoClean)->isChecked();
    accept();
}

}  // namespace kvs
