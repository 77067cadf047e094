#include "ui/qt/onscreen_keyboard_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "midi/onscreen_keyboard_form.h"
#include "ui/help_texts.h"
#include "ui/qt/piano_key_widget.h"

namespace kvs {
namespace {

constexpr std::uint32_t kHelpKeyboard = 2601;
constexpr std::uint32_t kHelpOctave = 2602;
constexpr std::uint32_t kHelpVelocity = 2603;

}  // namespace

OnScreenKeyboardDialog::OnScreenKeyboardDialog(QWidget* parent, const PromptTable& prompts,
                                               const HelpTexts* help, OnScreenKeyboardForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      piano_(new PianoKeyWidget(form.Keys(), this)),
      octave_(new QSlider(Qt::Horizontal, this)),
      velocity_(new QSlider(Qt::Horizontal, this)),
      close_(new QPushButton(Prompt(prompt::close), this)) {
    setWindowTitle(Prompt(prompts::kOskTitle));

    octave_->setRange(0, OnScreenKeyboardForm::kOctaveMax);
    octave_->setPageStep(1);
    octave_->setTickPosition(QSlider::TicksBelow);
    octave_->setTickInterval(1);
    octave_->setValue(form_.Octave());
    velocity_->setRange(OnScreenKeyboardForm::kVelocityMin, OnScreenKeyboardForm::kVelocityMax);
    velocity_->setPageStep(OnScreenKeyboardForm::kVelocityPage);
    velocity_->setTickPosition(QSlider::TicksBelow);
    velocity_->setTickInterval(OnScreenKeyboardForm::kVelocityPage);
    velocity_->setValue(form_.Velocity());
    close_->setAccessibleName(WithoutMnemonic(close_->text()));
    close_->setAutoDefault(false);
    SetHelp(piano_, kHelpKeyboard);
    SetHelp(octave_, kHelpOctave);
    SetHelp(velocity_, kHelpVelocity);
    SetHelp(close_, help_id::kCancel);

    connect(octave_, &QSlider::valueChanged, this, [this](int position) {
        form_.MoveOctave(position);
        piano_->update();
    });
    connect(velocity_, &QSlider::valueChanged, this,
            [this](int velocity) { form_.MoveVelocity(velocity); });
    connect(piano_, &PianoKeyWidget::Played, this, &OnScreenKeyboardDialog::FollowKeys);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(BuddyLabel(Prompt(prompts::kOskKeys), piano_), 1, Qt::AlignBottom);
    top->addWidget(close_);
    auto* sliders = new QGridLayout;
    sliders->addWidget(BuddyLabel(Prompt(prompts::kOskOctave), octave_), 0, 0);
    sliders->addWidget(BuddyLabel(Prompt(prompts::kOskVelocity), velocity_), 0, 1);
    sliders->addWidget(octave_, 1, 0);
    sliders->addWidget(velocity_, 1, 1);
    sliders->setColumnStretch(0, 1);
    sliders->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(piano_, 1);
    layout->addLayout(sliders);
    piano_->setFocus();
}

void OnScreenKeyboardDialog::FollowKeys() {
    const QSignalBlocker octaveQuiet(octave_);
    const QSignalBlocker velocityQuiet(velocity_);
    octave_->setValue(form_.Octave());
    velocity_->setValue(form_.Velocity());
}

}  // namespace kvs
