#include "ui/program_tool_host.h"

#include "config/error_text.h"
#include "model/edit_session.h"
#include "tools/insert_from_file.h"
#include "tools/progression_form.h"
#include "tools/tool_range.h"
#include "ui/file_dialog_request.h"
#include "ui/ui_host.h"

namespace kvs {

ProgramToolHost::ProgramToolHost(UiHost& ui, EditSession& session, Settings& settings,
                                 const PromptTable& prompts, LoadOptions load)
    : ui_(ui), session_(session), settings_(settings), prompts_(prompts), load_(std::move(load)) {}

bool ProgramToolHost::RunValueDialog(ValueDialog& dialog) {
    return ui_.RunValueDialog(dialog);
}

bool ProgramToolHost::RunNoteTransformDialog(NoteTransformForm& form) {
    return ui_.RunNoteTransformDialog(form);
}

bool ProgramToolHost::LoadInsertSource(Song& song) {
    const FileDialogRequest request =
        MakeFileDialogRequest(prompts_, settings_, kFileDialogOpen | kFileDialogLibrary);
    const std::optional<UiHost::FileChoice> choice = ui_.AskFile(request);
    if (!choice || choice->path.empty()) return false;
    RememberFolder(settings_, request.mode, choice->path);
    const ResultCode result = kvs::LoadInsertSource(choice->path, song, load_);
    if (result != kResultOk) {
        ui_.ShowErrorText(ErrorText(prompts_, result));
        return false;
    }
    return true;
}

bool ProgramToolHost::RunInsertFromFileDialog(InsertFromFileForm& form) {
    return ui_.RunInsertFromFileDialog(form);
}

bool ProgramToolHost::RunProgressionDialog(ProgressionForm& form) {
    const Track* track = session_.Current();
    if (track != nullptr) form.Complete(*track, GetToolRange(*track, session_.Selection()));
    return ui_.RunProgressionDialog(form);
}

std::optional<std::uint32_t> ProgramToolHost::AnchorBeat() const {
    return ui_.AnchorBeat();
}

void ProgramToolHost::RedrawTrack(std::uint32_t track) {
    ui_.RedrawTrack(track);
}

void ProgramToolHost::TracksAdded() {
    ui_.TracksAdded();
}

}  // namespace kvs
