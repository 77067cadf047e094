#pragma once

#include "midi/time_tempo_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;

namespace kvs {

class SpinField;

// Initial Time and Tempo over TimeTempoForm: the time signature as two
// lists and the tempo. After OK the form's Ok() stores them.
class TimeTempoDialog : public DialogBase {
    Q_OBJECT

  public:
    TimeTempoDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                    TimeTempoForm& form);

    QComboBox* Numerator() const { return numerator_; }
    QComboBox* Denominator() const { return denominator_; }
    SpinField* Tempo() const { return tempo_; }

  protected:
    void Accept() override;

  private:
    TimeTempoForm& form_;
    QComboBox* numerator_;
    QComboBox* denominator_;
    SpinField* tempo_;
};

}  // namespace kvs
