#pragma once

#include "model/track_properties_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;
class QLineEdit;

namespace kvs {

class PropertyFieldsPanel;
class SpinField;

// Track Properties over TrackPropertiesForm: name, channel, port, and the
// shared instrument and controller fields. After OK the form's Ok() gives
// the record.
class TrackPropertiesDialog : public DialogBase {
    Q_OBJECT

  public:
    TrackPropertiesDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                          TrackPropertiesForm& form);

    QLineEdit* Name() const { return name_; }
    SpinField* Channel() const { return channel_; }
    QComboBox* Port() const { return port_; }
    PropertyFieldsPanel& Fields() const { return *fields_; }

    void MidiIn(std::uint32_t message) override;

  protected:
    void Accept() override;

  private:
    TrackPropertiesForm& form_;
    QLineEdit* name_;
    SpinField* channel_;
    QComboBox* port_;
    PropertyFieldsPanel* fields_;
};

}  // namespace kvs
