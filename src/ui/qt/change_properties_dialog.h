#pragma once

#include <string>

#include "model/change_properties_form.h"
#include "ui/qt/dialog_base.h"

namespace kvs {

class PropertyFieldsPanel;
class SpinField;

// Change Properties over ChangePropertiesForm: the shared instrument and
// controller fields and a tempo. After OK the form's Ok() gives the record.
class ChangePropertiesDialog : public DialogBase {
    Q_OBJECT

  public:
    ChangePropertiesDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                           ChangePropertiesForm& form, const std::string& title);

    PropertyFieldsPanel& Fields() const { return *fields_; }
    SpinField* Tempo() const { return tempo_; }

    void MidiIn(std::uint32_t message) override;

  protected:
    void Accept() override;

  private:
    ChangePropertiesForm& form_;
    PropertyFieldsPanel* fields_;
    SpinField* tempo_;
};

}  // namespace kvs
