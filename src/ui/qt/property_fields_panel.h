#pragma once

#include <QObject>
#include <array>
#include <functional>

#include "model/form_prompts.h"
#include "model/property_fields.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QWidget;

namespace kvs {

class SpinField;

// The instrument list and the program, bank, volume, pan, reverb and chorus
// fields that Track Properties and Change Properties share, kept in step
// with their PropertyFieldSet. The dialog lays them out.
class PropertyFieldsPanel : public QObject {
    Q_OBJECT

  public:
    PropertyFieldsPanel(QWidget* dialog, PropertyFieldSet& fields);

    QComboBox* Instrument() const { return instrument_; }
    SpinField* Field(PropertyField field) const { return fields_[static_cast<std::size_t>(field)]; }

    // The instrument list across the grid's four columns at row, then
    // program and bank, volume and pan, reverb and chorus in pairs; returns
    // the next free row. label makes a label whose mnemonic focuses a field.
    using LabelMaker = std::function<QLabel*(const PromptText&, QWidget*)>;
    int AddRows(QGridLayout* grid, int row, const LabelMaker& label) const;

    // Gives each control its context help through setHelp.
    void SetHelp(const std::function<void(QWidget*, std::uint32_t)>& setHelp) const;

    // Shows what the field set holds now (after a port, channel or MIDI change).
    void Refresh();
    // Hands every typed text to the field set, for OK.
    void Store();

  private:
    PropertyFieldSet& set_;
    QComboBox* instrument_;
    std::array<SpinField*, kPropertyFieldCount> fields_{};
};

}  // namespace kvs
