#include "midi/engine_edit_link.h"
#include "ui/application.h"
#include "ui/ctrl_editor_session.h"
#include "ui/event_list_session.h"

namespace kvs {
namespace {

// Runs an editor and tells whether it changed the song: the editors only
// raise the modified flag, so it is lowered for the while and put back.
template <typename Run>
bool Changes(Song& song, Run run) {
    const std::uint32_t before = song.modified;
    song.modified = 0;
    const bool shown = run();
    const bool changed = shown && song.modified != 0;
    if (!changed) song.modified = before;
    return changed;
}

}  // namespace

bool Application::OpenCtrlEditor() {
    ctrlEditor_.openBeat = view_.Caret();
    CtrlEditorSession editor(ctrlEditor_, *session_, *link_, *engine_, prompts_);
    return Changes(session_->GetSong(), [&] { return host_.RunCtrlEditor(editor); });
}

bool Application::OpenEventList() {
    EventListSession list(*session_, *link_, *engine_, prompts_, view_.Caret());
    return Changes(session_->GetSong(), [&] { return host_.RunEventList(list); });
}

}  // namespace kvs
