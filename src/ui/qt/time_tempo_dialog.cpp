#include "ui/qt/time_tempo_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/property_help_ids.h"
#include "ui/qt/spin_field.h"

namespace kvs {

TimeTempoDialog::TimeTempoDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                                 TimeTempoForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      numerator_(new QComboBox(this)),
      denominator_(new QComboBox(this)),
      tempo_(new SpinField(this, static_cast<int>(TimeTempoForm::kTempoChars))) {
    setWindowTitle(Prompt(prompt::time_tempo_title));
    for (const std::string& item : TimeTempoForm::NumeratorItems())
        numerator_->addItem(ToQString(item));
    for (const std::string& item : TimeTempoForm::DenominatorItems())
        denominator_->addItem(ToQString(item));
    numerator_->setCurrentIndex(static_cast<int>(form_.numeratorIndex));
    denominator_->setCurrentIndex(static_cast<int>(form_.denominatorIndex));
    tempo_->SetText(ToQString(form_.TempoText()));
    SetHelp(numerator_, help_id::kTimeSigNumerator);
    SetHelp(denominator_, help_id::kTimeSigDenominator);
    SetHelp(tempo_, help_id::kInitialTempo);
    connect(tempo_, &SpinField::Edited, this,
            [this](const QString& text) { form_.SetTempoText(text.toStdString()); });
    connect(tempo_, &SpinField::Stepped, this, [this](int steps) {
        form_.SpinTempo(steps);
        tempo_->SetText(ToQString(form_.TempoText()));
    });
    // A playing song follows the typing.
    connect(tempo_, &QAbstractSpinBox::editingFinished, this, [this] { form_.TempoFocusLost(); });

    auto* signature = new QHBoxLayout;
    signature->addWidget(numerator_);
    signature->addWidget(new QLabel(QStringLiteral("/"), this));
    signature->addWidget(denominator_);
    signature->addStretch();
    QLabel* signatureLabel = BuddyLabel(Prompt(prompt::time_tempo_timesig), numerator_);
    denominator_->setAccessibleName(numerator_->accessibleName());
    auto* fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    fields->addRow(signatureLabel, signature);
    fields->addRow(BuddyLabel(Prompt(prompt::time_tempo_tempo), tempo_), tempo_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    numerator_->setFocus();
}

void TimeTempoDialog::Accept() {
    form_.numeratorIndex = static_cast<std::uint32_t>(std::max(numerator_->currentIndex(), 0));
    form_.denominatorIndex = static_cast<std::uint32_t>(std::max(denominator_->currentIndex(), 0));
    form_.SetTempoText(tempo_->Text().toStdString());
    accept();
}

}  // namespace kvs
