#include "ui/qt/property_fields_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

#include "ui/property_help_ids.h"
#include "ui/qt/dialog_base.h"
#include "ui/qt/spin_field.h"

namespace kvs {

PropertyFieldsPanel::PropertyFieldsPanel(QWidget* dialog, PropertyFieldSet& fields)
    : QObject(dialog), set_(fields), instrument_(new QComboBox(dialog)) {
    instrument_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    instrument_->setMinimumContentsLength(16);
    connect(instrument_, &QComboBox::activated, this, [this](int index) {
        set_.ChooseInstrument(index);
        Refresh();
    });
    for (std::size_t i = 0; i < kPropertyFieldCount; ++i) {
        const auto field = static_cast<PropertyField>(i);
        auto* edit = new SpinField(dialog, static_cast<int>(PropertyFieldSet::MaxChars(field)));
        fields_[i] = edit;
        connect(edit, &SpinField::Edited, this,
                [this, field](const QString& text) { set_.SetText(field, text.toStdString()); });
        connect(edit, &SpinField::Stepped, this, [this, field](int steps) {
            set_.Spin(field, steps);
            Refresh();
        });
        connect(edit, &QAbstractSpinBox::editingFinished, this, [this, field] {
            set_.Leave(field);
            Refresh();
        });
    }
    Refresh();
}

int PropertyFieldsPanel::AddRows(QGridLayout* grid, int row, const LabelMaker& label) const {
    grid->addWidget(label(prompts::kPropInstrument, instrument_), row, 0);
    grid->addWidget(instrument_, row, 1, 1, 3);
    ++row;
    static constexpr PromptText kLabels[kPropertyFieldCount] = {
        prompts::kPropProgram, prompts::kPropBank,   prompts::kPropVolume,
        prompts::kPropPan,     prompts::kPropReverb, prompts::kPropChorus};
    for (std::size_t i = 0; i < kPropertyFieldCount; ++i) {
        const int r = row + static_cast<int>(i / 2);
        const int column = static_cast<int>(i % 2) * 2;
        grid->addWidget(label(kLabels[i], fields_[i]), r, column);
        grid->addWidget(fields_[i], r, column + 1, Qt::AlignLeft);
    }
    return row + static_cast<int>(kPropertyFieldCount / 2);
}

void PropertyFieldsPanel::SetHelp(
    const std::function<void(QWidget*, std::uint32_t)>& setHelp) const {
    setHelp(instrument_, help_id::kPropInstrument);
    for (std::size_t i = 0; i < kPropertyFieldCount; ++i)
        setHelp(fields_[i], help_id::kPropFirstField + static_cast<std::uint32_t>(i));
}

void PropertyFieldsPanel::Refresh() {
    QStringList items;
    for (const std::string& item : set_.InstrumentItems())
        items << QString::fromStdString(item);
    QStringList shown;
    for (int i = 0; i < instrument_->count(); ++i)
        shown << instrument_->itemText(i);
    if (items != shown) {
        instrument_->clear();
        instrument_->addItems(items);
    }
    instrument_->setEnabled(set_.InstrumentsEnabled());
    instrument_->setCurrentIndex(set_.InstrumentsEnabled() ? set_.InstrumentIndex() : 0);
    for (std::size_t i = 0; i < kPropertyFieldCount; ++i)
        fields_[i]->SetText(ToQString(set_.Text(static_cast<PropertyField>(i))));
}

void PropertyFieldsPanel::Store() {
    for (std::size_t i = 0; i < kPropertyFieldCount; ++i)
        set_.SetText(static_cast<PropertyField>(i), fields_[i]->Text().toStdString());
}

}  // namespace kvs
