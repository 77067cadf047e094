#include "config/error_text.h"
#include "midi/engine.h"
#include "ui/application.h"

namespace kvs {

void Application::WriteRecovery() {
    // While the engine runs the song is still being played or recorded
    // into; the stop writes the copy.
    if (!recovery_ || !started_ || exited_ || exporting_ || !Stopped()) return;
    if (session_->GetSong().modified == 0) return;
    (void)recovery_->Write(session_->GetSong(), session_->SongPath(), OutPortNames());
}

void Application::OfferRecovery() {
    if (!recovery_) return;
    const std::optional<RecoveryCopy::Offer> offer = recovery_->Pending();
    const std::string& path = offer ? offer->songPath : std::string();
    const std::size_t slash = path.rfind('/');
    const std::string name = path.empty()                 ? PromptText(prompt::main_untitled)
                             : slash == std::string::npos ? path
                                                          : path.substr(slash + 1);
    // Not in the prompt table: English.
    if (!offer || !host_.AskYesNo("Recover unsaved changes to " + name + "?")) {
        recovery_->Discard();
        return;
    }
    EditSession& s = *session_;
    const ResultCode result = LoadSongFile(offer->copyPath, s.GetSong(), LoadOptionsForSong());
    if (result != kResultOk) {
        // A copy that cannot be read would be offered at every start.
        recovery_->Discard();
        NewSong();
        host_.ShowErrorText(ErrorText(prompts_, result));
        return;
    }
    // The copy stays until the song is saved: the recovered changes are
    // still unsaved.
    s.SetSongPath(offer->songPath);
    s.GetSong().modified = 1;
    view_.SetSong(&s.GetSong());
    MakeCurrent(view_.CursorTrackOrNone());
    Refresh(refresh::Title | refresh::StatusBar | refresh::TrackList | refresh::TrackView |
            refresh::MenuStates);
}

bool Application::OpenDropped(const std::string& path) {
    // As for a command line handed over: a take in the making is never
    // thrown away for it.
    if (IsRecording(engine_->State())) {
        host_.ShowErrorText(PromptText(prompt::error_cantcmd));
        return false;
    }
    if (!Stopped()) StopEngine();
    if (session_->GetSong().modified != 0 && !AskSave()) return false;
    NewSong();
    session_->SetSongPath(path);
    Refresh(refresh::Title | refresh::StatusBar | refresh::TrackList | refresh::TrackView |
            refresh::MenuStates);
    return LoadFile();
}

}  // namespace kvs
