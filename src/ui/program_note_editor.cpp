#include "ui/program_note_editor.h"

#include "midi/engine.h"
#include "midi/recorder.h"
#include "model/edit_session.h"
#include "tools/run_tool.h"

namespace kvs {

ProgramNoteEditor::ProgramNoteEditor(NoteEditorState& state, const PromptTable& prompts,
                                     Parts parts)
    : prompts_(prompts), parts_(parts), form_(state, prompts, *this, view_) {}

ProgramNoteEditor::~ProgramNoteEditor() {
    Close();
}

void ProgramNoteEditor::Open() {
    EditSession& session = parts_.session;
    if (form_.IsOpen() || session.CurrentTrack() < 0) return;
    form_.Open(session.GetSong(), static_cast<std::uint32_t>(session.CurrentTrack()));
}

void ProgramNoteEditor::Close() {
    if (form_.IsOpen()) form_.Execute(note_cmd::Close);
    // However it ended, the recorder gets its input back.
    RouteMidiIn(false);
}

void ProgramNoteEditor::PreviewNote(std::uint32_t opening, std::uint32_t closing,
                                    std::uint32_t port, std::uint32_t ticks) {
    parts_.engine.PreviewNote(opening, closing, port, ticks);
}

void ProgramNoteEditor::EndPreview() {
    parts_.engine.EndPreview();
}

void ProgramNoteEditor::Beep() {
    if (face_ != nullptr) face_->Beep();
}

bool ProgramNoteEditor::AskValue(ValueDialog& dialog) {
    return parts_.dialogs.RunValueDialog(dialog);
}

SongLock ProgramNoteEditor::LockSong() {
    // The form changes the track only under this lock.
    changed_ = true;
    return parts_.link.LockSong();
}

void ProgramNoteEditor::SaveUndo() {
    (void)parts_.session.SaveUndo();
}

void ProgramNoteEditor::RouteMidiIn(bool toEditor) {
    Recorder& recorder = parts_.recorder;
    if (toEditor == routed_) return;
    routed_ = toEditor;
    if (toEditor) {
        wasSuspended_ = recorder.InputSuspended();
        recorder.SetInputSuspended(true);
        previousInput_ = recorder.SetMidiInDialog(kMidiInId);
    } else {
        recorder.SetInputSuspended(wasSuspended_);
        (void)recorder.SetMidiInDialog(previousInput_);
    }
}

void ProgramNoteEditor::StatusChanged() {
    if (face_ != nullptr) face_->StatusChanged();
}

void ProgramNoteEditor::CloseEditor() {
    if (face_ != nullptr) face_->CloseEditor();
}

}  // namespace kvs
