#include "ui/qt/change_properties_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/property_help_ids.h"
#include "ui/qt/property_fields_panel.h"
#include "ui/qt/spin_field.h"

namespace kvs {

ChangePropertiesDialog::ChangePropertiesDialog(QWidget* parent, const PromptTable& prompts,
                                               const HelpTexts* help, ChangePropertiesForm& form,
                                               const std::string& title)
    : DialogBase(parent, prompts, help),
      form_(form),
      fields_(new PropertyFieldsPanel(this, form.Fields())),
      tempo_(new SpinField(this, static_cast<int>(ChangePropertiesForm::kTempoChars))) {
    setWindowTitle(ToQString(title));
    tempo_->SetText(ToQString(form_.TempoText()));
    fields_->SetHelp([this](QWidget* w, std::uint32_t id) { SetHelp(w, id); });
    SetHelp(tempo_, help_id::kPropTempo);
    connect(tempo_, &SpinField::Edited, this,
            [this](const QString& text) { form_.SetTempoText(text.toStdString()); });
    connect(tempo_, &SpinField::Stepped, this, [this](int steps) {
        form_.SpinTempo(steps);
        tempo_->SetText(ToQString(form_.TempoText()));
    });
    connect(tempo_, &QAbstractSpinBox::editingFinished, this, [this] {
        form_.LeaveTempo();
        tempo_->SetText(ToQString(form_.TempoText()));
    });

    const auto label = [this](const PromptText& text, QWidget* buddy) {
        return BuddyLabel(Prompt(text), buddy);
    };
    auto* grid = new QGridLayout;
    const int row = fields_->AddRows(grid, 0, label);
    grid->addWidget(label(prompts::kPropTempo, tempo_), row, 0);
    grid->addWidget(tempo_, row, 1, Qt::AlignLeft);
    grid->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (!form_.Fields().InstrumentsEnabled()) fields_->Field(PropertyField::Program)->setFocus();
}

void ChangePropertiesDialog::MidiIn(std::uint32_t message) {
    form_.MidiIn(message);
    fields_->Refresh();
}

void ChangePropertiesDialog::Accept() {
    form_.SetTempoText(tempo_->Text().toStdString());
    fields_->Store();
    accept();
}

}  // namespace kvs
