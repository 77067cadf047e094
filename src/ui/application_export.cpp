#include "audio/export_audio_form.h"
#include "audio/song_render.h"
#include "config/error_text.h"
#include "ui/application.h"

namespace kvs {

void Application::ExportAudio() {
    if (!Stopped() || !HasCurrent()) return;
    ExportAudioForm form(settings_.audioExport, session_->SongPath(), settings_.songDir);
    if (!host_.RunExportAudio(form)) return;
    if (const auto problem = form.Check(); problem != ExportAudioForm::Problem::None) {
        host_.ShowErrorText(std::string(ExportAudioForm::ProblemText(problem)));
        return;
    }
    form.Store(settings_.audioExport);

    SongRender::Options options;
    options.soundFont = form.soundFont;
    options.sampleRate = static_cast<int>(form.rate);
    options.engine = settings_.engine;
    // Destroying an unfinished render removes its file, so a stopped or
    // failed export leaves nothing behind and the old file as it was.
    exporting_ = true;
    SongRender render(session_->GetSong(), options);
    const std::string target = form.TargetPath();
    if (render.Open(target)) (void)host_.RunExportProgress(render, target);
    // These texts are not in the prompt table: English.
    switch (render.Error()) {
        case SongRender::Failure::None:
            break;
        case SongRender::Failure::SoundFont:
            host_.ShowErrorText("Cannot load the sound font " + form.soundFont + ": " +
                                render.SoundFontError());
            break;
        case SongRender::Failure::File:
            host_.ShowErrorText(ErrorText(prompts_, render.FileError()));
            break;
        case SongRender::Failure::TooLong:
            host_.ShowErrorText("The song is too long for a WAV file.");
            break;
    }
    exporting_ = false;
}

}  // namespace kvs
