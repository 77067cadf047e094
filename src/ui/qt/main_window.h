#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "ui/application.h"
#include "ui/commands.h"
#include "ui/ui_host.h"

class QMenu;
class QToolBar;

namespace kvs {

class ActionTable;
class DialogHost;
class EngineWakeup;
class ModalInput;
class StatusBar;
class TrackList;
class TrackViewWidget;

// The main window: a router between Qt and Application. It holds no
// program state of its own; every decision is Application's.
class MainWindow final : public QMainWindow, public UiHost {
    Q_OBJECT

  public:
    explicit MainWindow(Application::Options options = {});
    ~MainWindow() override;

    // The start-up sequence (the window is shown within it), then the
    // prompts applied to menus and toolbar.
    void StartUp();
    void RunCommandLine(const CommandLine& line);
    // Where help/ (the pages and the context help texts) is found.
    void SetHelpFolder(const QString& folder);
    void ReceiveHandOver(const std::vector<std::string>& words, const std::string& folder);

    Application& App() { return *app_; }
    TrackList& List() { return *list_; }
    TrackViewWidget& ViewWidget() { return *view_; }
    StatusBar& Status() { return *status_; }
    QAction* Action(std::uint32_t id) const;
    QMenu* TrackListMenu() const { return listMenu_; }
    // The SysEx editor on the event at (beat, index) of the track; true when
    // OK changed its message. False, with nothing opened, when the event or
    // its message is missing.
    bool EditSysexEvent(Track& track, std::uint32_t beat, std::uint32_t index);

    // UiHost
    void ShowErrorText(const std::string& text) override;
    void ShowInfoText(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    std::optional<FileChoice> AskFile(const FileDialogRequest& request) override;
    void ShowTipOfDay() override;
    void ShowAbout() override;
    void ShowCommandLineHelp(const CommandLineHelp& texts) override;
    void ShowHelpContents() override;
    void OpenUrl(const std::string& url) override;
    bool AskGoto(GotoForm& form) override;
    bool AskMarker(MarkerListForm& form) override;
    bool AskKeepRecording() override;
    bool RunNoteEditor(ProgramNoteEditor& editor) override;
    bool RunSongProperties(SongPropertiesForm& form) override;
    bool RunTrackProperties(TrackPropertiesForm& form) override;
    bool RunChangeProperties(ChangePropertiesForm& form, const std::string& title) override;
    bool RunTimeTempo(TimeTempoForm& form) override;
    void ShowTrackStatistics(const std::vector<std::string>& rows) override;
    void CloseWindow() override;
    void RaiseWindow() override;
    void Refresh(std::uint32_t what, std::int32_t track = -1) override;
    void RunOnScreenKeyboard(OnScreenKeyboardForm& form) override;
    bool RunOskLayout(OskLayoutForm& form) override;
    bool RunInstrumentLists(InstrumentListsForm& form) override;
    bool RunGeneralOptions(GeneralOptionsForm& form) override;
    bool RunCtrlEditor(CtrlEditorSession& editor) override;
    bool RunEventList(EventListSession& list) override;
    // EditAsk
    std::optional<std::int32_t> AskNumber(const char* titleKey, const char* labelKey,
                                          std::int32_t min, std::int32_t max,
                                          std::int32_t initial) override;
    std::optional<std::uint32_t> AskPort(const char* titleKey, const char* labelKey,
                                         std::uint32_t initial) override;
    std::optional<FindRequest> AskFind(const FindRequest& current) override;
    bool Confirm(const char* promptKey) override;
    void ShowError(const char* promptKey) override;
    // ToolHost
    bool RunValueDialog(ValueDialog& dialog) override;
    bool RunNoteTransformDialog(NoteTransformForm& form) override;
    bool LoadInsertSource(Song& song) override;
    bool RunInsertFromFileDialog(InsertFromFileForm& form) override;
    bool RunProgressionDialog(ProgressionForm& form) override;
    std::optional<std::uint32_t> AnchorBeat() const override;
    void RedrawTrack(std::uint32_t track) override;
    void TracksAdded() override;
    // PortQuestion
    bool Ask(ChoosePortForm& form) override;
    // The MIDI option dialogs
    bool RunMetronome(MetronomeForm& form) override;
    bool RunKeyCommands(KeyCommandsForm& form) override;
    bool RunMidiAssignments(MidiAssignForm& form) override;
    bool RunPorts(PortsForm& form) override;
    void OnMidiIn(std::uint32_t message) override;
    bool RunExportAudio(ExportAudioForm& form) override;
    bool RunExportProgress(SongRender& render, const std::string& target) override;

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }  // no toolbar-hiding menu of Qt's own

  private:
    void BuildMenus();
    void BuildMenu(QMenu* menu, const std::vector<MenuEntry>& entries);
    void BuildToolbar();
    void ApplyPrompts();
    void RunMenuCommand(std::uint32_t id);
    void RunKeyCommand(std::uint32_t id);
    void RouteKey(QKeyEvent* event);
    void UpdateMenuStates(QMenu* menu);
    void RebuildRecentFiles();
    void RefreshTrackList();
    void ApplyLayoutSwitches();
    void ShowContextMenu(QMenu* menu, QPoint global);

    std::unique_ptr<Application> app_;
    std::unique_ptr<DialogHost> dialogs_;
    std::unique_ptr<ModalInput> modalInput_;
    ActionTable* actions_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    StatusBar* status_ = nullptr;
    TrackList* list_ = nullptr;
    TrackViewWidget* view_ = nullptr;
    EngineWakeup* wakeup_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentAnchor_ = nullptr;  // the recent files go before it
    std::vector<QAction*> recentActions_;
    QMenu* listMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    std::vector<std::pair<QMenu*, prompt::Id>> menuTitles_;
    bool exited_ = false;
};

}  // namespace kvs
