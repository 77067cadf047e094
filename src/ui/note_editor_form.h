#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/prompt_table.h"
#include "model/engine_link.h"
#include "model/track.h"
#include "model/value_dialog_form.h"
#include "ui/note_view.h"

namespace kvs {

class Song;

// The five values of a note: for new notes (memo) or of the selected one.
struct NoteValues {
    std::uint32_t start = 0;  // ticks
    std::uint32_t channel = 0;
    std::uint32_t key = 60;
    std::uint32_t velocity = 80;
    std::uint32_t length = 48;  // ticks, note off included
};

enum NoteParameter : std::uint32_t { kParamStart, kParamChan, kParamKey, kParamVelo, kParamLength };

// Kept for the whole run, between openings of the editor.
struct NoteEditorState {
    NoteValues memo;
    std::uint32_t parameter = kParamStart;
    std::uint32_t snap = 48;
    std::uint32_t openBeat = 0;  // set by the main window before opening
};

// The dialog's controls in its client area: the buttons stacked at the
// right (Close first), the view left of them above the status bar, whose
// first five parts end at statusEdges (the sixth runs to the end).
struct NoteEditorLayout {
    std::array<CellRect, 6> buttons;
    CellRect view, status;
    std::array<std::int32_t, 5> statusEdges;
};
NoteEditorLayout LayOutNoteEditor(std::int32_t width, std::int32_t height, std::int32_t buttonWidth,
                                  std::int32_t buttonHeight, std::int32_t statusHeight);

// What the editor needs of the program around it.
class NoteEditorHost : public NotePreview {
  public:
    virtual void Beep() = 0;
    // The value dialog; true on OK with the fields holding what was entered.
    virtual bool AskValue(ValueDialog& dialog) = 0;
    // Held while a note changes, for playback may be reading the track.
    virtual SongLock LockSong() { return {}; }
    // The undo copy of the current track, taken once per opening.
    virtual void SaveUndo() = 0;
    // On: incoming MIDI is neither recorded nor a key command, and note ons
    // come to the editor; off puts back what was before.
    virtual void RouteMidiIn(bool toEditor) = 0;
    virtual void StatusChanged() {}
    virtual void CloseEditor() {}
};

// The note editor dialog without its widgets: it drives the note view and
// changes the track's notes.
class NoteEditorForm final : private NoteViewListener {
  public:
    static constexpr std::uint32_t kMaxMnemonics = 20;

    NoteEditorForm(NoteEditorState& state, const PromptTable& prompts, NoteEditorHost& host,
                   NoteView& view);
    ~NoteEditorForm() override;
    NoteEditorForm(const NoteEditorForm&) = delete;
    NoteEditorForm& operator=(const NoteEditorForm&) = delete;

    // Shows the track at state.openBeat.
    void Open(Song& song, std::uint32_t track);
    void Execute(std::uint32_t commandId);
    // A click on one of the first five status parts.
    void ClickStatusPart(std::uint32_t part);
    // A message from the MIDI input while the editor is open.
    void MidiIn(std::uint32_t message);

    // Validates v for the parameter and applies it; false (and a beep) when refused.
    bool Apply(std::uint32_t parameter, std::int64_t v);
    void Step(NoteViewNotify code);
    // True when a note of channel and key over [start, start + length) would
    // overlap another of the same channel and key (the selected note aside).
    bool Collides(std::uint32_t channel, std::uint32_t key, std::uint32_t start,
                  std::uint32_t length) const;

    bool IsOpen() const { return song_ != nullptr; }
    bool HaveSelection() const { return haveSelection_; }
    const NoteValues& Current() const { return current_; }
    const NoteValues& Memo() const { return state_.memo; }
    std::uint32_t Parameter() const { return state_.parameter; }
    // Five "label: value" parts, then "Mod" or "Ins".
    std::array<std::string, 6> StatusTexts() const;
    const NoteMnemonics& Mnemonics() const { return mnemonics_; }
    ValueDialog EditDialog() const;

  private:
    void OnNoteViewNotify(NoteViewNotify code) override;
    void OnNoteViewCommand(std::uint32_t commandId) override { Execute(commandId); }
    void BuildMnemonics();
    void ReadSelection();
    const NoteValues& Shown() const { return haveSelection_ ? current_ : state_.memo; }
    Track* EditTrack();
    bool ChangeSelected(std::uint32_t parameter, std::uint32_t v);
    void Insert();
    void Delete();
    void Edit();
    void EditSnap();
    void Close();
    void Modified();
    PromptText Prompt(prompt::Id id) const;

    NoteEditorState& state_;
    const PromptTable& prompts_;
    NoteEditorHost& host_;
    NoteView& view_;
    Song* song_ = nullptr;
    NoteMnemonics mnemonics_;
    NoteValues current_;
    EventPos currentOn_, currentOff_;
    bool haveSelection_ = false;
};

}  // namespace kvs
