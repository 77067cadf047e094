#include "ui/qt/midi_assign_dialog.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "config/property_form_sources.h"
#include "model/form_number.h"

namespace kvs {
namespace {

constexpr std::uint32_t kHelpFieldFirst = 2330;  // one per field, in field order
constexpr std::uint32_t kHelpTarget = 2335;
constexpr std::uint32_t kHelpMax = 2336;
constexpr std::uint32_t kHelpMin = 2337;

}  // namespace

MidiAssignDialog::MidiAssignDialog(QWidget* parent, const PromptTable& prompts,
                                   const HelpTexts* help, MidiAssignForm& form)
    : DialogBase(parent, prompts, help), form_(form) {
    setWindowTitle(Prompt(prompts::kMidiAssignTitle));
    const std::array<PromptText, MidiAssignForm::kFieldCount> labels = {
        prompts::kMidiAssignTranspose, prompts::kMidiAssignPercent, prompts::kMidiAssignOffset,
        prompts::kMidiAssignCtrlFrom, prompts::kMidiAssignCtrlTo};
    auto* fieldRows = new QFormLayout;
    for (std::size_t i = 0; i < MidiAssignForm::kFieldCount; ++i) {
        const auto field = static_cast<MidiAssignForm::Field>(i);
        const MidiAssignForm::FieldRange& range = MidiAssignForm::kRanges[i];
        auto* spin = new QSpinBox(this);
        spin->setRange(range.min, range.max);
        spin->setValue(static_cast<int>(std::clamp<std::int64_t>(
            ReadSignedField(form_.Text(field)).value_or(range.fallback), range.min, range.max)));
        SetHelp(spin, kHelpFieldFirst + static_cast<std::uint32_t>(i));
        fieldRows->addRow(BuddyLabel(Prompt(labels[i]), spin), spin);
        fields_[i] = spin;
    }

    auto* groups = new QVBoxLayout;
    groups->addWidget(BendGroup({prompts::kMidiAssignUpGroup, prompts::kMidiAssignUpDoes,
                                 prompts::kMidiAssignUpMax, prompts::kMidiAssignUpMin},
                                form_.up, up_));
    groups->addWidget(BendGroup({prompts::kMidiAssignDownGroup, prompts::kMidiAssignDownDoes,
                                 prompts::kMidiAssignDownMax, prompts::kMidiAssignDownMin},
                                form_.down, down_));

    auto* columns = new QHBoxLayout;
    columns->addLayout(fieldRows);
    columns->addLayout(groups);
    fieldRows->setAlignment(Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fields_[0]->setFocus();
}

QWidget* MidiAssignDialog::BendGroup(const BendPrompts& texts,
                                     const MidiAssignForm::BendGroup& values,
                                     BendControls& controls) {
    auto* group = new QGroupBox(Prompt(texts.group), this);
    controls.target = new QComboBox(this);
    for (const std::string& item : MidiAssignForm::TargetItems())
        controls.target->addItem(ToQString(item));
    controls.target->setCurrentIndex(values.target);
    controls.max = new QComboBox(this);
    controls.min = new QComboBox(this);
    for (const std::string& item : MidiAssignForm::LevelItems(PromptTableSource(prompts_))) {
        controls.max->addItem(ToQString(item));
        controls.min->addItem(ToQString(item));
    }
    controls.max->setCurrentIndex(values.max);
    controls.min->setCurrentIndex(values.min);
    SetHelp(controls.target, kHelpTarget);
    SetHelp(controls.max, kHelpMax);
    SetHelp(controls.min, kHelpMin);
    controls.maxLabel = BuddyLabel(Prompt(texts.max), controls.max);
    controls.minLabel = BuddyLabel(Prompt(texts.min), controls.min);

    auto* rows = new QFormLayout(group);
    rows->addRow(BuddyLabel(Prompt(texts.does), controls.target), controls.target);
    rows->addRow(controls.maxLabel, controls.max);
    rows->addRow(controls.minLabel, controls.min);
    EnableLevels(controls);
    connect(controls.target, &QComboBox::currentIndexChanged, this,
            [&controls] { EnableLevels(controls); });
    return group;
}

MidiAssignForm::BendGroup MidiAssignDialog::Read(const BendControls& controls) {
    return {controls.target->currentIndex(), controls.max->currentIndex(),
            controls.min->currentIndex()};
}

void MidiAssignDialog::EnableLevels(const BendControls& controls) {
    const bool on = Read(controls).LevelsEnabled();
    for (QWidget* w :
         {static_cast<QWidget*>(controls.max), static_cast<QWidget*>(controls.min),
          static_cast<QWidget*>(controls.maxLabel), static_cast<QWidget*>(controls.minLabel)})
        w->setEnabled(on);
}

void MidiAssignDialog::Accept() {
    form_.up = Read(up_);
    form_.down = Read(down_);
    for (std::size_t i = 0; i < MidiAssignForm::kFieldCount; ++i) {
        // What is still being typed counts, as the edit shows it.
        fields_[i]->interpretText();
        form_.SetText(static_cast<MidiAssignForm::Field>(i),
                      QString::number(fields_[i]->value()).toStdString());
    }
    accept();
}

}  // namespace kvs
