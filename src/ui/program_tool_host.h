#pragma once

#include <cstdint>
#include <optional>

#include "files/load_options.h"
#include "tools/run_tool.h"

namespace kvs {

class EditSession;
class PromptTable;
class UiHost;
struct Settings;

// What the tools see of the window: its dialogs, with what only the program
// knows put in first (the progression's track and range, the file an insert
// reads from).
class ProgramToolHost final : public ToolHost {
  public:
    ProgramToolHost(UiHost& ui, EditSession& session, Settings& settings,
                    const PromptTable& prompts, LoadOptions load);

    bool RunValueDialog(ValueDialog& dialog) override;
    bool RunNoteTransformDialog(NoteTransformForm& form) override;
    // The open dialog in the library folder, then the file read without a
    // scan or a port question; a failure is reported here.
    bool LoadInsertSource(Song& song) override;
    bool RunInsertFromFileDialog(InsertFromFileForm& form) override;
    bool RunProgressionDialog(ProgressionForm& form) override;
    std::optional<std::uint32_t> AnchorBeat() const override;
    void RedrawTrack(std::uint32_t track) override;
    void TracksAdded() override;

  private:
    UiHost& ui_;
    EditSession& session_;
    Settings& settings_;
    const PromptTable& prompts_;
    LoadOptions load_;
};

}  // namespace kvs
