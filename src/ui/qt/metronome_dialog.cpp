#include "ui/qt/metronome_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/event.h"

namespace kvs {
namespace {

// Context help numbers of the controls.
constexpr std::uint32_t kHelpPlayCount = 2310;
constexpr std::uint32_t kHelpRecCount = 2311;
constexpr std::uint32_t kHelpChannel = 2312;
constexpr std::uint32_t kHelpPort = 2313;
constexpr std::uint32_t kHelpKey = 2314;
constexpr std::uint32_t kHelpVelocity = 2315;

// Wide enough for a note name such as "C#-1" or a number.
constexpr int kEditChars = 6;

}  // namespace

MetronomeDialog::MetronomeDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                                 MetronomeForm& form)
    : DialogBase(parent, prompts, help), form_(form) {
    setWindowTitle(Prompt(prompt::opts_metron_title));

    auto* counts = new QGroupBox(Prompt(prompt::opts_metron_countgroup), this);
    auto* countRow = new QHBoxLayout(counts);
    playCount_ = Edit(form_.playCount, kHelpPlayCount);
    recCount_ = Edit(form_.recCount, kHelpRecCount);
    countRow->addWidget(BuddyLabel(Prompt(prompt::opts_metron_playcount), playCount_));
    countRow->addWidget(playCount_);
    countRow->addSpacing(fontMetrics().averageCharWidth() * 2);
    countRow->addWidget(BuddyLabel(Prompt(prompt::opts_metron_reccount), recCount_));
    countRow->addWidget(recCount_);
    countRow->addStretch();

    auto* clicks = new QHBoxLayout;
    clicks->addWidget(ClickGroup(prompt::opts_metron_fstgroup,
                                 {prompt::opts_metron_fstchan, prompt::opts_metron_fstport,
                                  prompt::opts_metron_fstkey, prompt::opts_metron_fstvel},
                                 form_.first, first_));
    clicks->addWidget(ClickGroup(prompt::opts_metron_othgroup,
                                 {prompt::opts_metron_othchan, prompt::opts_metron_othport,
                                  prompt::opts_metron_othkey, prompt::opts_metron_othvel},
                                 form_.other, other_));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts);
    layout->addLayout(clicks);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    playCount_->setFocus();
    playCount_->selectAll();
}

QLineEdit* MetronomeDialog::Edit(const std::string& text, std::uint32_t helpId) {
    auto* edit = new QLineEdit(ToQString(text), this);
    edit->setMinimumWidth(fontMetrics().averageCharWidth() * kEditChars +
                          edit->textMargins().left() + edit->textMargins().right() + 12);
    edit->setMaximumWidth(edit->minimumWidth() * 2);
    SetHelp(edit, helpId);
    return edit;
}

QWidget* MetronomeDialog::ClickGroup(prompt::Id title, const prompt::Id (&labels)[4],
                                     const MetronomeForm::ClickFields& fields,
                                     ClickControls& controls) {
    auto* group = new QGroupBox(Prompt(title), this);
    controls.channel = Edit({}, kHelpChannel);
    controls.port = new QComboBox(this);
    for (const MetronomePort& port : form_.Ports())
        controls.port->addItem(ToQString(port.friendlyName));
    controls.port->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    SetHelp(controls.port, kHelpPort);
    controls.key = Edit({}, kHelpKey);
    controls.velocity = Edit({}, kHelpVelocity);
    ShowClick(fields, controls);

    auto* rows = new QFormLayout(group);
    rows->addRow(BuddyLabel(Prompt(labels[0]), controls.channel), controls.channel);
    rows->addRow(BuddyLabel(Prompt(labels[1]), controls.port), controls.port);
    rows->addRow(BuddyLabel(Prompt(labels[2]), controls.key), controls.key);
    rows->addRow(BuddyLabel(Prompt(labels[3]), controls.velocity), controls.velocity);
    return group;
}

void MetronomeDialog::ShowClick(const MetronomeForm::ClickFields& fields,
                                const ClickControls& controls) {
    controls.channel->setText(ToQString(fields.channel));
    controls.port->setCurrentIndex(fields.portIndex);
    controls.key->setText(ToQString(fields.key));
    controls.velocity->setText(ToQString(fields.velocity));
}

void MetronomeDialog::ReadClick(MetronomeForm::ClickFields& fields,
                                const ClickControls& controls) const {
    fields.channel = controls.channel->text().toStdString();
    fields.portIndex = controls.port->currentIndex();
    fields.key = controls.key->text().toStdString();
    fields.velocity = controls.velocity->text().toStdString();
}

void MetronomeDialog::MidiIn(std::uint32_t message) {
    if (!IsSoundingNoteOn(message)) return;
    using Focus = MetronomeForm::Focus;
    const QWidget* focus = focusWidget();
    Focus where = Focus::Elsewhere;
    if (focus == first_.key) where = Focus::FirstKey;
    if (focus == first_.velocity) where = Focus::FirstVelocity;
    if (focus == other_.key) where = Focus::OtherKey;
    if (focus == other_.velocity) where = Focus::OtherVelocity;
    form_.SetFocus(where);
    // The other fields keep what was typed into them.
    ReadClick(form_.first, first_);
    ReadClick(form_.other, other_);
    form_.OnNoteOn(Data1(message), Data2(message));
    ShowClick(form_.first, first_);
    ShowClick(form_.other, other_);
}

void MetronomeDialog::Accept() {
    form_.playCount = playCount_->text().toStdString();
    form_.recCount = recCount_->text().toStdString();
    ReadClick(form_.first, first_);
    ReadClick(form_.other, other_);
    accept();
}

}  // namespace kvs
