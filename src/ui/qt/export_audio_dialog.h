#pragma once

#include "audio/export_audio_form.h"
#include "ui/qt/dialog_base.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kvs {

class SongRender;

// File > Export audio: the audio file, the sound font and the sample rate
// over ExportAudioForm. Its texts are English (the prompt table has none).
class ExportAudioDialog : public DialogBase {
    Q_OBJECT

  public:
    ExportAudioDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                      ExportAudioForm& form);

    QLineEdit* Target() const { return target_; }
    QLineEdit* SoundFont() const { return soundFont_; }
    QComboBox* Rate() const { return rate_; }

  protected:
    void Accept() override;

  private:
    void BrowseTarget();
    void BrowseSoundFont();

    ExportAudioForm& form_;
    QLineEdit* target_;
    QLineEdit* soundFont_;
    QComboBox* rate_;
};

// Drives the render to its end behind a progress dialog whose Cancel stops
// it; true when the render is done.
bool RunExportProgress(QWidget* parent, const PromptTable& prompts, SongRender& render,
                       const QString& target);

}  // namespace kvs
