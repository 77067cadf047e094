#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/data_folder.h"
#include "config/instrument_list.h"
#include "config/prompt_table.h"
#include "config/settings.h"
#include "files/song_file.h"
#include "midi/backends/backend_choice.h"
#include "midi/device_layer.h"
#include "midi/device_table_settings.h"
#include "midi/key_commands.h"
#include "midi/live_midi_in_filters.h"
#include "midi/midi_assignment.h"
#include "midi/midi_device_table.h"
#include "midi/notifier.h"
#include "midi/recorder.h"
#include "model/edit_session.h"
#include "tools/note_transform_file.h"
#include "tools/note_transform_tool.h"
#include "tools/run_tool.h"
#include "ui/command_line.h"
#include "ui/ctrl_editor_form.h"
#include "ui/note_editor_form.h"
#include "ui/recovery_copy.h"
#include "ui/track_view.h"
#include "ui/ui_host.h"
#include "ui/wake_notifier.h"

namespace kvs {

class Engine;
class EngineEditLink;
class PeriodicTimer;
class SysexQueue;
class DeviceTableSink;

// Keys the track list hands to the main window instead of using them.
enum class ListKey : std::uint8_t { Enter, End, Home, Left, Right, Insert, Delete };
enum class FocusedChild : std::uint8_t { TrackList, TrackView };

// The running program: settings, prompts, devices, the song with its edit
// session, the engine with its timer, the recorder and the SysEx queue, and
// the main window's command dispatch, menu states and texts. The window
// (UiHost) only shows what this object says; tests drive it directly.
//
// Threads: everything here is for the window thread. The engine's timer and
// the MIDI input post to the notifier, whose wake-up descriptor the window
// watches and answers with ProcessNotifications.
class Application final : private TrackViewListener, private RecordHost {
  public:
    struct Options {
        // The device layer to use (tests: a VirtualMidiLayer they keep a
        // pointer to); null chooses one from KVS_MIDI as kvs-cli does.
        std::unique_ptr<MidiDeviceLayer> layer;
        // Where the program's files are; empty resolves the data folder.
        std::string dataFolder;
        // A manual timer for tests; null runs the real timer thread.
        std::unique_ptr<PeriodicTimer> timer;
        // The shipped data copied into the data folder; empty for none.
        // Without dataFolder, the installed (or source) data is used.
        std::string shippedData;
    };
    struct MenuState {
        bool enabled = true;
        bool checked = false;
        bool radio = false;  // part of a radio group (display units)
        bool operator==(const MenuState&) const = default;
    };

    explicit Application(UiHost& host, Options options = {});
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start-up sequence up to opening the devices and local off; the
    // splash and the window are the caller's. Notes for the user (no data
    // folder, defaults in use, prompt file messages) are shown through the
    // host's error box.
    void StartUp();
    void RunCommandLine(const CommandLine& line);
    // A command line from a second start. False when refused (while
    // recording, or the save question was cancelled).
    bool ReceiveHandOver(const std::vector<std::string>& words, const std::string& workingFolder);

    // Returns 1/0 for the save commands (song written or not), else 0.
    int Execute(std::uint32_t commandId);
    MenuState StateOf(std::uint32_t commandId) const;
    std::vector<std::string> RecentFileItems() const;  // "&1 name", '&' in names doubled
    std::string WindowTitle() const;
    std::array<std::string, 6> StatusTexts() const;
    std::string TrackListRow(std::uint32_t track) const;
    std::uint32_t TrackCount() const;
    std::int32_t CurrentTrack() const;
    void SelectTrackFromList(std::int32_t row);
    bool KeyFromTrackList(ListKey key, bool ctrl, bool shift);
    void FocusMoved(FocusedChild child) { focus_ = child; }
    FocusedChild Focus() const { return focus_; }

    void ProcessNotifications();
    int WakeFd() const { return notifier_.Fd(); }
    bool MinimizeRequested();
    // AskSave when modified; true = the window may close (then ExitSequence).
    bool CloseRequested();
    void ExitSequence();
    bool QuitAfterPlayback() const { return quitAfterPlay_; }
    // 0 Position, 1 Bar, 2 Time.
    // (A damaged settings file may hold anything: read as Time beyond 2.)
    std::uint32_t DisplayUnits() const {
        return settings_.general.positionType < 2 ? settings_.general.positionType : 2;
    }
    bool ToolbarShown() const { return settings_.general.toolbar; }
    bool StatusBarShown() const { return settings_.general.statusBar; }

    // Around every modal dialog and message box: incoming MIDI is neither
    // recorded nor taken as a key command meanwhile. Nests; the guard puts
    // back what was in force before.
    class ModalGuard {
      public:
        explicit ModalGuard(Application& app)
            : recorder_(*app.recorder_), previous_(recorder_.InputSuspended()) {
            recorder_.SetInputSuspended(true);
        }
        ~ModalGuard() { recorder_.SetInputSuspended(previous_); }
        ModalGuard(const ModalGuard&) = delete;
        ModalGuard& operator=(const ModalGuard&) = delete;

      private:
        Recorder& recorder_;
        bool previous_;
    };

    // Keeps a copy of a song with unsaved changes in the data folder (the
    // window calls it every few minutes; every engine stop does too).
    void WriteRecovery();
    // A file dropped on the window, opened as Open would; false when refused.
    bool OpenDropped(const std::string& path);

    // Asks to save a modified song: true to go on.
    bool AskSave();

    TrackView& View() { return view_; }
    const Song& GetSong() const { return session_->GetSong(); }
    EditSession& Session() { return *session_; }
    const PromptTable& Prompts() const { return prompts_; }
    Settings& CurrentSettings() { return settings_; }
    const ProgramPaths& Paths() const { return paths_; }
    MidiDeviceTable& Devices() { return *table_; }
    MidiDeviceLayer& DeviceLayer() { return *layer_; }
    Engine& GetEngine() { return *engine_; }
    Recorder& GetRecorder() { return *recorder_; }
    SysexQueue& Queue() { return *queue_; }
    // The engine as edits outside the session see it (they change the song
    // under its lock).
    EngineLink& EditLink();
    InstrumentLists& Instruments() { return instruments_; }
    const NoteTransforms& Transforms() const { return transforms_; }
    ToolState& Tools() { return toolState_; }
    KeyCommands& MidiKeys() { return keyCommands_; }
    SaveType CurrentSaveType() const { return saveType_; }
    NoteEditorState& NoteEditor() { return noteEditor_; }

  private:
    class InstrumentSettings;
    struct Shutdown;

    // TrackViewListener
    void OnTrackViewNotify(TrackViewNotify code) override;
    // RecordHost
    bool AskKeep() override { return host_.AskKeepRecording(); }
    void SaveUndo(std::uint32_t track) override;

    void Dispatch(const Notification& n);
    int ExecuteFile(std::uint32_t id);
    void ExecuteEdit(std::uint32_t id);
    void ExecutePlay(std::uint32_t id);
    void ExecuteTrack(std::uint32_t id);
    void ExecuteView(std::uint32_t id);
    void ExecuteGoto(std::uint32_t id);
    void ExecuteMidi(std::uint32_t id);
    void ExecuteKey(std::uint32_t id);
    void ExecuteMarker(std::uint32_t id);
    void ExecuteTool(std::uint32_t id);
    bool OpenNoteEditor();  // true when the notes changed
    // The option dialogs (application_options.cpp): true when OK changed
    // settings.
    void OnScreenKeyboard();
    bool OskLayoutOptions();
    bool InstrumentListOptions();
    bool GeneralOptions();
    // The modal editors on the current track; true when they changed it.
    bool OpenCtrlEditor();
    bool OpenEventList();
    // The MIDI option dialogs: true when OK changed the settings.
    bool MetronomeDialog();
    bool KeyCommandsDialog();
    bool MidiAssignDialog();
    bool PortsDialog();

    void OfferRecovery();
    void NewSong();  // ThruNotesOff, NewSong and every reset that goes with it
    bool LoadFile();
    int WriteFile();
    void ExportAudio();
    int Save();
    int SaveAs();
    bool ChooseFile(std::uint32_t mode, std::string& path);
    void OpenRecent(std::uint32_t index);
    void RegisterTypes();
    void PlayStop();
    void StopEngine();  // and show what a recording changed
    void ReserveSysex();
    void StartRecord(bool step);
    void ThruNotesOff();
    void MakeCurrent(std::int32_t track);  // the current track and everyone who follows it
    void ApplyEngineOptions();
    void AfterEdit(EditResult result, std::uint32_t what);
    // askPorts false: a port the file names that is missing is not asked for.
    LoadOptions LoadOptionsForSong(bool askPorts = true);
    // The property dialogs (application_properties.cpp); Cancelled when the
    // user cancelled.
    EditResult EditTrackProperties();
    EditResult EditChangeProperties();
    void ShowTrackStatistics();
    bool EditSongProperties();
    bool EditTimeTempo();
    std::vector<OutputPort> EnabledOutputs() const;
    std::vector<std::string> OutPortNames() const;
    bool Stopped() const;
    bool HasCurrent() const { return session_->CurrentTrack() >= 0; }
    std::string PromptText(prompt::Id id) const { return std::string(prompts_.Text(id)); }
    void Refresh(std::uint32_t what, std::int32_t track = -1) { host_.Refresh(what, track); }

    UiHost& host_;
    ProgramPaths paths_;
    std::string shippedData_;
    Settings settings_;
    PromptTable prompts_;
    InstrumentLists instruments_;
    // The store the note transform tool offers, so the menu and the dialog
    // agree on what is loaded.
    NoteTransforms& transforms_ = NoteTransformStore();
    std::vector<std::string> startNotes_;  // shown once the window is up
    std::unique_ptr<RecoveryCopy> recovery_;
    bool exporting_ = false;  // the song's loop is off meanwhile: no copy then

    // Devices and everything that sends or receives through them. The
    // members below are destroyed in reverse: the song (in session_) goes
    // after the engine, recorder and queue stopped using it, because
    // shutdown_, declared last, closes the devices and drains the queue first.
    // The chosen backend whole (whatever it keeps beside the layer lives as
    // long), or the layer the caller gave.
    BackendChoice backend_;
    std::unique_ptr<MidiDeviceLayer> givenLayer_;
    MidiDeviceLayer* layer_ = nullptr;
    std::unique_ptr<MidiDeviceTable> table_;
    std::unique_ptr<TablePortKeys> portKeys_;
    std::unique_ptr<PortSettings> portSettings_;
    std::unique_ptr<InstrumentSettings> instrumentSettings_;
    std::unique_ptr<SettingsFile> settingsFile_;
    ProfileStore noFile_{std::string()};  // what the port resolver reads without one
    WakeNotifier notifier_;
    std::unique_ptr<DeviceTableSink> sink_;
    std::unique_ptr<SysexQueue> queue_;
    std::unique_ptr<PeriodicTimer> timer_;
    std::unique_ptr<Engine> engine_;
    KeyCommands keyCommands_;
    MidiAssignment assignment_;
    std::unique_ptr<LiveMidiInFilters> filters_;
    std::unique_ptr<Recorder> recorder_;
    TrackView view_;
    std::unique_ptr<EngineEditLink> link_;
    std::unique_ptr<EditSession> session_;
    ToolState toolState_;
    CtrlEditorState ctrlEditor_;
    NoteEditorState noteEditor_;  // kept between openings
    std::unique_ptr<Shutdown> shutdown_;

    FocusedChild focus_ = FocusedChild::TrackList;
    SaveType saveType_ = SaveType::Full;
    bool punch_ = false;
    bool quitAfterPlay_ = false;
    bool started_ = false;
    bool exited_ = false;
    bool following_ = false;  // inside MakeCurrent: the view's echo is ours
};

}  // namespace kvs
