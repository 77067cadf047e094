#pragma once

#include <cstdint>

#include "config/prompt_table.h"
#include "model/engine_link.h"
#include "ui/note_editor_form.h"
#include "ui/note_view.h"

namespace kvs {

class EditSession;
class Engine;
class Recorder;
class ToolHost;

// The window's side of an open note editor.
class NoteEditorFace {
  public:
    virtual ~NoteEditorFace() = default;
    virtual void Beep() = 0;
    virtual void StatusChanged() = 0;
    virtual void CloseEditor() = 0;
};

// The note editor as the program runs it: its view and form, joined to the
// engine's note preview, the edit session's undo, the song lock and MIDI
// input. The window shows it and calls Open once its view has a size.
class ProgramNoteEditor final : private NoteEditorHost {
  public:
    // The id the recorder knows the editor by while it takes MIDI input.
    static constexpr std::uint32_t kMidiInId = note_cmd::ViewId;

    struct Parts {
        Engine& engine;
        EngineLink& link;
        EditSession& session;
        Recorder& recorder;
        ToolHost& dialogs;  // the value dialog
    };

    ProgramNoteEditor(NoteEditorState& state, const PromptTable& prompts, Parts parts);
    ~ProgramNoteEditor() override;
    ProgramNoteEditor(const ProgramNoteEditor&) = delete;
    ProgramNoteEditor& operator=(const ProgramNoteEditor&) = delete;

    NoteView& View() { return view_; }
    NoteEditorForm& Form() { return form_; }
    const PromptTable& Prompts() const { return prompts_; }
    void SetFace(NoteEditorFace* face) { face_ = face; }

    // On the session's current track, at the state's openBeat.
    void Open();
    // Closes the form if the window did not (its input routing ends too).
    void Close();
    // True once a note was changed, added or removed.
    bool Changed() const { return changed_; }

  private:
    void PreviewNote(std::uint32_t opening, std::uint32_t closing, std::uint32_t port,
                     std::uint32_t ticks) override;
    void EndPreview() override;
    void Beep() override;
    bool AskValue(ValueDialog& dialog) override;
    SongLock LockSong() override;
    void SaveUndo() override;
    void RouteMidiIn(bool toEditor) override;
    void StatusChanged() override;
    void CloseEditor() override;

    const PromptTable& prompts_;
    Parts parts_;
    NoteView view_;
    NoteEditorForm form_;
    NoteEditorFace* face_ = nullptr;
    bool changed_ = false;
    bool routed_ = false;
    bool wasSuspended_ = false;
    std::uint32_t previousInput_ = 0;
};

}  // namespace kvs
