#pragma once

#include <cstdint>

#include "midi/metronome_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;
class QLineEdit;

namespace kvs {

// The Metronome face: count-in beats and the two click notes. A note played
// while a click's key or velocity field has the focus fills both.
class MetronomeDialog : public DialogBase {
    Q_OBJECT

  public:
    MetronomeDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                    MetronomeForm& form);

    QLineEdit* PlayCount() const { return playCount_; }
    QLineEdit* Channel(bool first) const { return (first ? first_ : other_).channel; }
    QLineEdit* Key(bool first) const { return (first ? first_ : other_).key; }
    QLineEdit* Velocity(bool first) const { return (first ? first_ : other_).velocity; }
    void MidiIn(std::uint32_t message) override;

  protected:
    void Accept() override;

  private:
    struct ClickControls {
        QLineEdit* channel = nullptr;
        QComboBox* port = nullptr;
        QLineEdit* key = nullptr;
        QLineEdit* velocity = nullptr;
    };

    QWidget* ClickGroup(prompt::Id title, const prompt::Id (&labels)[4],
                        const MetronomeForm::ClickFields& fields, ClickControls& controls);
    QLineEdit* Edit(const std::string& text, std::uint32_t helpId);
    void ShowClick(const MetronomeForm::ClickFields& fields, const ClickControls& controls);
    void ReadClick(MetronomeForm::ClickFields& fields, const ClickControls& controls) const;

    MetronomeForm& form_;
    QLineEdit* playCount_ = nullptr;
    QLineEdit* recCount_ = nullptr;
    ClickControls first_;
    ClickControls other_;
};

}  // namespace kvs
