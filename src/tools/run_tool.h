#pragma once

#include <cstdint>
#include <optional>

#include "model/edit_session.h"
#include "model/value_dialog_form.h"
#include "tools/tool_table.h"

namespace kvs {

class NoteTransformForm;
class InsertFromFileForm;
class ProgressionForm;
class Song;

class EngineLink;

// What the tools need from the user interface.
class ToolHost {
  public:
    virtual ~ToolHost() = default;
    // Runs the value dialog on the description; true for OK, with the values
    // written back.
    virtual bool RunValueDialog(ValueDialog& dialog) = 0;
    // Runs the note transform dialog; true for OK.
    virtual bool RunNoteTransformDialog(NoteTransformForm& /*form*/) { return false; }
    // Asks for a file and loads it into song with LoadInsertSource, reporting
    // a failure itself; false when cancelled or not loaded.
    virtual bool LoadInsertSource(Song& /*song*/) { return false; }
    // Runs the insert-from-file dialog; true for OK.
    virtual bool RunInsertFromFileDialog(InsertFromFileForm& /*form*/) { return false; }
    // Runs the progression dialog: completes the form from the current track
    // and its ToolRange (ProgressionForm::Complete), then shows it until Ok()
    // accepts or the user cancels; true for OK.
    virtual bool RunProgressionDialog(ProgressionForm& /*form*/) { return false; }
    // The track view's anchor beat (its cursor beat when nothing is
    // selected); nothing without a view, where the range's first beat serves.
    virtual std::optional<std::uint32_t> AnchorBeat() const { return std::nullopt; }
    virtual void RedrawTrack(std::uint32_t /*track*/) {}
    // Tracks were appended to the song.
    virtual void TracksAdded() {}
};

// The Tools menu's switch; cleared whenever a new song replaces the current one.
struct ToolState {
    bool applyToAllTracks = false;
    void NewSong() { applyToAllTracks = false; }
};

// A tool command from the menu: refused without a current track or while the
// engine runs, then the dialog, then ApplyTool. NotFound for a tool whose
// code is not built.
EditResult RunTool(EditSession& session, EngineLink& engine, const ToolState& state,
                   const Tool& tool, ToolHost& host);

// Runs a pass whose parameters are known: the undo snapshot when the tool
// takes one, then each unmuted track (with allTracks and a tool that honours
// it) or the current track, then the modified flag.
EditResult ApplyTool(EditSession& session, EngineLink& engine, bool allTracks, const Tool& tool,
                     const ToolPass& pass, ToolHost* host);

}  // namespace kvs
