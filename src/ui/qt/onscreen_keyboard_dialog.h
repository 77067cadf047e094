#pragma once

#include "ui/qt/dialog_base.h"

class QPushButton;
class QSlider;

namespace kvs {

class OnScreenKeyboardForm;
class PianoKeyWidget;

// The on-screen keyboard: the piano keys over the octave and velocity
// sliders, with Close at the top right.
class OnScreenKeyboardDialog : public DialogBase {
    Q_OBJECT

  public:
    OnScreenKeyboardDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                           OnScreenKeyboardForm& form);

    PianoKeyWidget* Piano() const { return piano_; }
    QSlider* Octave() const { return octave_; }
    QSlider* Velocity() const { return velocity_; }
    QPushButton* CloseButton() const { return close_; }

  private:
    // The keys moved the range or chose a velocity: the sliders follow.
    void FollowKeys();

    OnScreenKeyboardForm& form_;
    PianoKeyWidget* piano_;
    QSlider* octave_;
    QSlider* velocity_;
    QPushButton* close_;
};

}  // namespace kvs
