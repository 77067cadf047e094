#include "ui/qt/track_properties_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/property_help_ids.h"
#include "ui/qt/property_fields_panel.h"
#include "ui/qt/spin_field.h"

namespace kvs {

TrackPropertiesDialog::TrackPropertiesDialog(QWidget* parent, const PromptTable& prompts,
                                             const HelpTexts* help, TrackPropertiesForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      name_(new QLineEdit(this)),
      channel_(new SpinField(this, static_cast<int>(TrackPropertiesForm::kChannelChars))),
      port_(new QComboBox(this)),
      fields_(new PropertyFieldsPanel(this, form.Fields())) {
    setWindowTitle(Prompt(prompts::kTrackPropTitle));
    name_->setMaxLength(static_cast<int>(TrackPropertiesForm::kNameChars));
    name_->setText(ToQString(form_.Name()));
    channel_->SetText(ToQString(form_.ChannelText()));
    for (const OutputPort& port : form_.Ports())
        port_->addItem(ToQString(port.name));
    port_->setCurrentIndex(form_.PortIndex());
    port_->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    SetHelp(name_, help_id::kPropName);
    SetHelp(channel_, help_id::kPropChannel);
    SetHelp(port_, help_id::kPropPort);
    fields_->SetHelp([this](QWidget* w, std::uint32_t id) { SetHelp(w, id); });

    // The instrument list follows the channel and the port.
    connect(channel_, &SpinField::Edited, this,
            [this](const QString& text) { form_.SetChannelText(text.toStdString()); });
    connect(channel_, &SpinField::Stepped, this, [this](int steps) {
        form_.SpinChannel(steps);
        channel_->SetText(ToQString(form_.ChannelText()));
        fields_->Refresh();
    });
    connect(channel_, &QAbstractSpinBox::editingFinished, this, [this] {
        form_.LeaveChannel();
        channel_->SetText(ToQString(form_.ChannelText()));
        fields_->Refresh();
    });
    connect(port_, &QComboBox::activated, this, [this](int index) {
        form_.SelectPort(index);
        fields_->Refresh();
    });

    const auto label = [this](const PromptText& text, QWidget* buddy) {
        return BuddyLabel(Prompt(text), buddy);
    };
    auto* grid = new QGridLayout;
    grid->addWidget(label(prompts::kPropName, name_), 0, 0);
    grid->addWidget(name_, 0, 1, 1, 3);
    grid->addWidget(label(prompts::kPropChannel, channel_), 1, 0);
    grid->addWidget(channel_, 1, 1, Qt::AlignLeft);
    grid->addWidget(label(prompts::kPropPort, port_), 1, 2);
    grid->addWidget(port_, 1, 3);
    fields_->AddRows(grid, 2, label);
    grid->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (form_.Fields().InstrumentsEnabled())
        name_->setFocus();
    else
        fields_->Field(PropertyField::Program)->setFocus();
}

void TrackPropertiesDialog::MidiIn(std::uint32_t message) {
    form_.MidiIn(message);
    fields_->Refresh();
}

void TrackPropertiesDialog::Accept() {
    form_.SetName(name_->text().toStdString());
    form_.SetChannelText(channel_->Text().toStdString());
    fields_->Store();
    accept();
}

}  // namespace kvs
