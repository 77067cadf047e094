#pragma once

#include <optional>

#include "model/find_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kvs {

// Find: event kind, number (notes and controllers only) and direction.
class FindDialogBox : public DialogBase {
    Q_OBJECT

  public:
    FindDialogBox(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                  const FindRequest& current);

    // The search after OK.
    std::optional<FindRequest> Result() const { return result_; }
    QComboBox* Kinds() const { return kinds_; }
    QLineEdit* Number() const { return number_; }
    QRadioButton* BackButton() const { return back_; }
    void MidiIn(std::uint32_t message) override;

  protected:
    void Accept() override;

  private:
    void CopyIn();

    FindForm form_;
    std::optional<FindRequest> result_;
    QComboBox* kinds_;
    QLineEdit* number_;
    QRadioButton* back_;
    QRadioButton* forward_;
};

}  // namespace kvs
