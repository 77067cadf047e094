#pragma once

#include "model/song_properties_form.h"
#include "ui/qt/dialog_base.h"

class QLineEdit;

namespace kvs {

// Song Properties over SongPropertiesForm: name and copyright to edit, the
// song's totals to read. OK leaves the texts in the form.
class SongPropertiesDialog : public DialogBase {
    Q_OBJECT

  public:
    SongPropertiesDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                         SongPropertiesForm& form);

    QLineEdit* Name() const { return name_; }
    QLineEdit* Copyright() const { return copyright_; }

  protected:
    void Accept() override;

  private:
    SongPropertiesForm& form_;
    QLineEdit* name_;
    QLineEdit* copyright_;
};

}  // namespace kvs
