#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/prompt_table.h"
#include "model/edit_ask.h"
#include "model/value_dialog_form.h"
#include "tools/run_tool.h"
#include "ui/file_dialog_request.h"
#include "ui/help_texts.h"
#include "ui/qt/message_dialogs.h"
#include "ui/ui_host.h"

class QWidget;

namespace kvs {

struct Settings;
class GotoForm;
class MarkerListForm;
class DialogBase;
class ChoosePortForm;
class OnScreenKeyboardForm;
class OskLayoutForm;
class InstrumentListsForm;
class GeneralOptionsForm;
class SysexEditorForm;
class ProgramNoteEditor;
struct CommandLineHelp;

// The program's modal dialogs, owned by a window: the questions the edits
// and tools ask, the message boxes, the file dialogs and the Help menu's
// boxes. Everything runs on the window thread.
class DialogHost : public EditAsk, public ToolHost {
  public:
    using Answer = MessageAnswer;

    DialogHost(QWidget* parent, const PromptTable& prompts, Settings& settings);
    ~DialogHost() override;

    // Where help/index.html and help/popups.txt are looked for; the context
    // help texts are read from there at once.
    void SetDataFolder(const QString& folder);
    void SetVersion(std::string version) { version_ = std::move(version); }
    // The enabled MIDI OUT ports and the default port, for the port chooser.
    void SetPortSource(std::function<std::vector<OutputPort>()> ports,
                       std::function<std::uint32_t()> defaultPort);
    // Called with true before a modal dialog opens and false after it closed,
    // so the window can suspend recorder input meanwhile.
    void SetModalHook(std::function<void(bool)> hook) { modalHook_ = std::move(hook); }
    // A MIDI message for the open dialog (note fields take a note on).
    void OnMidiIn(std::uint32_t message);

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
    bool RunInsertFromFileDialog(InsertFromFileForm& form) override;
    bool RunProgressionDialog(ProgressionForm& form) override;

    // The port chooser on a description whose field 0 holds a port.
    bool RunListDialog(ValueDialog& dialog);
    void ShowErrorText(const std::string& text);
    void ShowInfoText(const std::string& text);
    Answer AskYesNoCancel(const std::string& text);
    bool AskYesNo(const std::string& text);
    std::optional<UiHost::FileChoice> AskFile(const FileDialogRequest& request);
    void ShowTipOfDay();
    void ShowAbout();
    void ShowCommandLineHelp(const CommandLineHelp& texts);
    // False when the help pages are missing.
    bool ShowHelpContents();
    bool AskGoto(GotoForm& form);
    // True for OK, with the chosen row selected in the form.
    bool AskMarker(MarkerListForm& form);
    bool AskKeepRecording();
    // The stand-in for a port a loading file names; true for OK.
    bool AskChoosePort(ChoosePortForm& form);
    // Shows the note editor, which the dialog opens and closes.
    void RunNoteEditor(ProgramNoteEditor& editor);
    // The keyboard leaves recording input on: what it plays records.
    void RunOnScreenKeyboard(OnScreenKeyboardForm& form);
    bool RunOskLayout(OskLayoutForm& form);
    bool RunInstrumentLists(InstrumentListsForm& form);
    bool RunGeneralOptions(GeneralOptionsForm& form);
    // The SysEx editor; true for OK (the form has stored the bytes).
    bool EditSysex(SysexEditorForm& form);
    // False when no program took the address.
    bool OpenUrl(const std::string& url);
    // The property dialogs: true for OK, the answer left in the form.
    bool RunTrackProperties(TrackPropertiesForm& form);
    bool RunChangeProperties(ChangePropertiesForm& form, const std::string& title);
    bool RunSongProperties(SongPropertiesForm& form);
    bool RunTimeTempo(TimeTempoForm& form);
    void ShowTrackStatistics(const std::vector<std::string>& rows);

    const HelpTexts& Help() const { return help_; }
    // A dialog of the window's own, run as every dialog here is (input
    // suspended, MIDI input forwarded); true for OK.
    bool Exec(DialogBase& dialog);

  private:
    int Run(DialogBase& dialog);
    void Modal(bool begins) const;
    std::string TextOfKey(const char* key) const;

    QWidget* parent_;
    const PromptTable& prompts_;
    Settings& settings_;
    HelpTexts help_;
    QString dataFolder_;
    std::string version_;
    std::function<std::vector<OutputPort>()> ports_;
    std::function<std::uint32_t()> defaultPort_;
    std::function<void(bool)> modalHook_;
    QPointer<DialogBase> open_;
};

}  // namespace kvs
