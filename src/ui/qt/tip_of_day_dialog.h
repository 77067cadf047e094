#pragma once

#include "ui/qt/dialog_base.h"

class QCheckBox;
class QLabel;

namespace kvs {

struct Settings;

// Tip of the day: shows the stored tip and advances the stored number
// (modulo 100); Next Tip shows the next. The start-up box is stored back
// when the dialog closes.
class TipOfDayDialog : public DialogBase {
    Q_OBJECT

  public:
    static constexpr int kTipPointSize = 16;
    static constexpr int kTipCount = 100;

    TipOfDayDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                   Settings& settings);

    QLabel* Tip() const { return tip_; }
    QCheckBox* StartUp() const { return startUp_; }
    void NextTip();

  protected:
    void done(int result) override;

  private:
    Settings& settings_;
    QLabel* tip_;
    QCheckBox* startUp_;
};

}  // namespace kvs
