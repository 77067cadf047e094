#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "midi/port_association.h"
#include "model/edit_ask.h"
#include "tools/run_tool.h"

namespace kvs {

class ChangePropertiesForm;
class ExportAudioForm;
class GotoForm;
class MarkerListForm;
class MetronomeForm;
class KeyCommandsForm;
class MidiAssignForm;
class PortsForm;
class OnScreenKeyboardForm;
class OskLayoutForm;
class InstrumentListsForm;
class GeneralOptionsForm;
class CtrlEditorSession;
class EventListSession;
class ProgramNoteEditor;
class SongPropertiesForm;
class TimeTempoForm;
class TrackPropertiesForm;
class SongRender;
struct CommandLineHelp;

// What the window should read again from Application.
namespace refresh {
inline constexpr std::uint32_t Title = 1;
inline constexpr std::uint32_t StatusBar = 2;
inline constexpr std::uint32_t TrackList = 4;  // every row, and the selection
inline constexpr std::uint32_t TrackRow = 8;   // the row given to Refresh
inline constexpr std::uint32_t MenuStates = 16;
inline constexpr std::uint32_t TrackView = 32;
inline constexpr std::uint32_t Layout = 64;          // toolbar or status bar switched
inline constexpr std::uint32_t ListSelection = 128;  // select CurrentTrack() in the list
inline constexpr std::uint32_t ListTopRow = 256;     // the list's top row := the view's
}  // namespace refresh

struct FileFilter {
    std::string name;     // "MIDI files (*.MID)"
    std::string pattern;  // "*.mid"
};

// One Open or Save dialog, everything already in the current language.
struct FileDialogRequest {
    std::uint32_t mode = 1;  // 1 open, 2 save, 4 the second remembered folder
    std::string title;
    std::vector<FileFilter> filters;
    std::uint32_t filterIndex = 0;
    std::string folder;         // where the dialog starts
    std::string initialName;    // the name field
    std::string defaultSuffix;  // "mid" for Save
    bool Save() const { return (mode & 2) != 0; }
};

// The window's side of the program: modal dialogs and questions on the
// window thread, and being told what to show again.
class UiHost : public EditAsk, public ToolHost, public PortQuestion {
  public:
    enum class Answer { Yes, No, Cancel };
    struct FileChoice {
        std::string path;
        std::uint32_t filterIndex = 0;
    };

    // An error box with the program's name as caption.
    virtual void ShowErrorText(const std::string& text) = 0;
    // A note (information icon).
    virtual void ShowInfoText(const std::string& text) { ShowErrorText(text); }
    virtual Answer AskYesNoCancel(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual std::optional<FileChoice> AskFile(const FileDialogRequest& request) = 0;

    virtual void ShowTipOfDay() = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowCommandLineHelp(const CommandLineHelp& texts) = 0;
    virtual void ShowHelpContents() = 0;
    virtual void OpenUrl(const std::string& url) = 0;
    // True for OK (the form then holds the answer).
    virtual bool AskGoto(GotoForm& form) = 0;
    virtual bool AskMarker(MarkerListForm& form) = 0;
    // "Do you want to keep the recording?"
    virtual bool AskKeepRecording() = 0;

    virtual void CloseWindow() = 0;  // post a close (Exit, /Q)
    virtual void RaiseWindow() = 0;  // after a hand-over
    virtual void Refresh(std::uint32_t what, std::int32_t track = -1) = 0;

    // Dialogs of later work; each returns true when it changed something
    // (the caller then refreshes what the dialog may touch).
    // The property dialogs: true for OK, the form then holds the answer.
    virtual bool RunSongProperties(SongPropertiesForm& /*form*/) { return false; }
    virtual bool RunTrackProperties(TrackPropertiesForm& /*form*/) { return false; }
    virtual bool RunChangeProperties(ChangePropertiesForm& /*form*/, const std::string& /*title*/) {
        return false;
    }
    virtual bool RunTimeTempo(TimeTempoForm& /*form*/) { return false; }
    // One "label\tvalue" row per counter.
    virtual void ShowTrackStatistics(const std::vector<std::string>& /*rows*/) {}
    // The modal editors on an opened session; true when they were shown.
    virtual bool RunCtrlEditor(CtrlEditorSession& /*editor*/) { return false; }
    virtual bool RunNoteEditor(ProgramNoteEditor& /*editor*/) { return false; }
    virtual bool RunEventList(EventListSession& /*list*/) { return false; }
    // The option dialogs on forms Application built: true for OK (the
    // caller then applies the form; the Ports form has applied itself to
    // the device table). The on-screen keyboard has only Close.
    virtual bool RunMetronome(MetronomeForm& /*form*/) { return false; }
    virtual bool RunKeyCommands(KeyCommandsForm& /*form*/) { return false; }
    virtual bool RunMidiAssignments(MidiAssignForm& /*form*/) { return false; }
    virtual bool RunPorts(PortsForm& /*form*/) { return false; }
    virtual void RunOnScreenKeyboard(OnScreenKeyboardForm& /*form*/) {}
    virtual bool RunOskLayout(OskLayoutForm& /*form*/) { return false; }
    virtual bool RunInstrumentLists(InstrumentListsForm& /*form*/) { return false; }
    virtual bool RunGeneralOptions(GeneralOptionsForm& /*form*/) { return false; }
    // File > Export audio: the dialog (true for OK), then the render driven
    // to its end with its progress shown (false when the user stopped it).
    virtual bool RunExportAudio(ExportAudioForm& /*form*/) { return false; }
    virtual bool RunExportProgress(SongRender& /*render*/, const std::string& /*target*/) {
        return false;
    }
    // A message from MIDI IN for the open dialog that takes it.
    virtual void OnMidiIn(std::uint32_t /*message*/) {}
};

}  // namespace kvs
