#include "midi/engine_edit_link.h"
#include "ui/application.h"
#include "ui/program_note_editor.h"

namespace kvs {

bool Application::OpenNoteEditor() {
    noteEditor_.openBeat = view_.Caret();
    ProgramNoteEditor editor(noteEditor_, prompts_,
                             {*engine_, *link_, *session_, *recorder_, host_});
    if (!host_.RunNoteEditor(editor)) return false;
    editor.Close();
    return editor.Changed();
}

}  // namespace kvs
