#include "ui/qt/dialog_host.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <string_view>

#include "config/settings.h"
#include "model/goto_form.h"
#include "model/marker_list_form.h"
#include "ui/command_line.h"
#include "ui/qt/about_dialog_box.h"
#include "ui/qt/change_properties_dialog.h"
#include "ui/qt/choose_port_dialog.h"
#include "ui/qt/command_line_help_dialog.h"
#include "ui/qt/file_dialogs.h"
#include "ui/qt/find_dialog_box.h"
#include "ui/qt/general_options_dialog.h"
#include "ui/qt/goto_dialog_box.h"
#include "ui/qt/help_contents.h"
#include "ui/qt/insert_from_file_dialog.h"
#include "ui/qt/instrument_lists_dialog.h"
#include "ui/qt/list_dialog_box.h"
#include "ui/qt/marker_list_dialog_box.h"
#include "ui/qt/note_editor_dialog.h"
#include "ui/qt/note_transform_dialog.h"
#include "ui/qt/onscreen_keyboard_dialog.h"
#include "ui/qt/osk_layout_dialog.h"
#include "ui/qt/progression_dialog.h"
#include "ui/qt/song_properties_dialog.h"
#include "ui/qt/sysex_editor_dialog.h"
#include "ui/qt/time_tempo_dialog.h"
#include "ui/qt/tip_of_day_dialog.h"
#include "ui/qt/track_properties_dialog.h"
#include "ui/qt/track_statistics_dialog.h"
#include "ui/qt/value_dialog_box.h"

namespace kvs {
namespace {

// Context help of the single values other commands ask for, by label.
std::uint32_t HelpOfLabel(std::string_view labelKey) {
    if (labelKey == "view_zoom_zoom") return help_id::kZoomBeats;
    if (labelKey == "goto_trk_trk") return help_id::kGotoTrack;
    if (labelKey == "trk_move_move") return help_id::kMoveTrack;
    if (labelKey.ends_with("_copies")) return help_id::kCopies;
    return 0;
}

std::string_view Key(const char* key) {
    return key != nullptr ? key : "";
}

}  // namespace

DialogHost::DialogHost(QWidget* parent, const PromptTable& prompts, Settings& settings)
    : parent_(parent),
      prompts_(prompts),
      settings_(settings),
      version_(prompts.Text(prompt::prompt_version)) {}

DialogHost::~DialogHost() = default;

void DialogHost::SetDataFolder(const QString& folder) {
    dataFolder_ = folder;
    help_ = folder.isEmpty()
                ? HelpTexts{}
                : HelpTexts::Load(
                      QDir(folder).filePath(QStringLiteral("help/popups.txt")).toStdString());
}

void DialogHost::SetPortSource(std::function<std::vector<OutputPort>()> ports,
                               std::function<std::uint32_t()> defaultPort) {
    ports_ = std::move(ports);
    defaultPort_ = std::move(defaultPort);
}

void DialogHost::OnMidiIn(std::uint32_t message) {
    if (open_) open_->MidiIn(message);
}

void DialogHost::Modal(bool begins) const {
    if (modalHook_) modalHook_(begins);
}

int DialogHost::Run(DialogBase& dialog) {
    Modal(true);
    // A dialog opened from another (the value dialog from an editor) hands
    // MIDI input back to it when it closes.
    const QPointer<DialogBase> previous = open_;
    open_ = &dialog;
    const int result = dialog.exec();
    open_ = previous;
    Modal(false);
    return result;
}

bool DialogHost::Exec(DialogBase& dialog) {
    return Run(dialog) == QDialog::Accepted;
}

std::string DialogHost::TextOfKey(const char* key) const {
    if (key == nullptr) return {};
    const std::string_view text = prompts_.TextOf(key);
    return std::string(text.empty() ? std::string_view(key) : text);
}

std::optional<std::int32_t> DialogHost::AskNumber(const char* titleKey, const char* labelKey,
                                                  std::int32_t min, std::int32_t max,
                                                  std::int32_t initial) {
    const std::string title = TextOfKey(titleKey);
    const std::string label = TextOfKey(labelKey);
    ValueDialog dialog;
    dialog.SetUp({Key(titleKey), title}, 1);
    dialog.SetField(0, initial, min, max, FieldKind::Integer, HelpOfLabel(Key(labelKey)),
                    {Key(labelKey), label});
    if (!RunValueDialog(dialog)) return std::nullopt;
    return dialog.fields[0].value;
}

std::optional<std::uint32_t> DialogHost::AskPort(const char* titleKey, const char* labelKey,
                                                 std::uint32_t initial) {
    const std::string title = TextOfKey(titleKey);
    const std::string label = TextOfKey(labelKey);
    ValueDialog dialog;
    dialog.SetUp({Key(titleKey), title}, 1);
    dialog.SetField(0, static_cast<std::int32_t>(initial), 0, 0, FieldKind::Integer,
                    help_id::kPortList, {Key(labelKey), label});
    if (!RunListDialog(dialog)) return std::nullopt;
    return static_cast<std::uint32_t>(dialog.fields[0].value);
}

std::optional<FindRequest> DialogHost::AskFind(const FindRequest& current) {
    FindDialogBox dialog(parent_, prompts_, &help_, current);
    if (Run(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.Result();
}

bool DialogHost::Confirm(const char* promptKey) {
    return AskYesNo(TextOfKey(promptKey));
}

void DialogHost::ShowError(const char* promptKey) {
    ShowErrorText(TextOfKey(promptKey));
}

bool DialogHost::RunValueDialog(ValueDialog& dialog) {
    ValueDialogBox box(parent_, prompts_, &help_, dialog);
    return Run(box) == QDialog::Accepted;
}

bool DialogHost::RunNoteTransformDialog(NoteTransformForm& form) {
    NoteTransformDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunInsertFromFileDialog(InsertFromFileForm& form) {
    InsertFromFileDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunProgressionDialog(ProgressionForm& form) {
    ProgressionDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunListDialog(ValueDialog& dialog) {
    ListDialogBox box(parent_, prompts_, &help_, dialog,
                      ports_ ? ports_() : std::vector<OutputPort>{},
                      defaultPort_ ? defaultPort_() : 0);
    return Run(box) == QDialog::Accepted;
}

void DialogHost::ShowErrorText(const std::string& text) {
    Modal(true);
    ShowErrorBox(parent_, prompts_, text);
    Modal(false);
}

void DialogHost::ShowInfoText(const std::string& text) {
    Modal(true);
    ShowInfoBox(parent_, prompts_, text);
    Modal(false);
}

DialogHost::Answer DialogHost::AskYesNoCancel(const std::string& text) {
    Modal(true);
    const Answer answer = AskYesNoCancelBox(parent_, prompts_, text);
    Modal(false);
    return answer;
}

bool DialogHost::AskYesNo(const std::string& text) {
    Modal(true);
    const bool yes = AskYesNoBox(parent_, prompts_, text);
    Modal(false);
    return yes;
}

std::optional<UiHost::FileChoice> DialogHost::AskFile(const FileDialogRequest& request) {
    Modal(true);
    std::optional<UiHost::FileChoice> choice = RunFileDialog(parent_, request);
    Modal(false);
    return choice;
}

void DialogHost::ShowTipOfDay() {
    TipOfDayDialog dialog(parent_, prompts_, &help_, settings_);
    Run(dialog);
}

void DialogHost::ShowAbout() {
    AboutDialogBox dialog(parent_, prompts_, version_);
    Run(dialog);
}

void DialogHost::ShowCommandLineHelp(const CommandLineHelp& texts) {
    CommandLineHelpDialog dialog(parent_, prompts_, texts);
    Run(dialog);
}

bool DialogHost::ShowHelpContents() {
    return OpenHelpContents(dataFolder_);
}

bool DialogHost::AskGoto(GotoForm& form) {
    GotoDialogBox dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::AskMarker(MarkerListForm& form) {
    MarkerListDialogBox dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::AskChoosePort(ChoosePortForm& form) {
    ChoosePortDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

void DialogHost::RunNoteEditor(ProgramNoteEditor& editor) {
    NoteEditorDialog dialog(parent_, prompts_, &help_, editor);
    Run(dialog);
}

void DialogHost::RunOnScreenKeyboard(OnScreenKeyboardForm& form) {
    OnScreenKeyboardDialog dialog(parent_, prompts_, &help_, form);
    dialog.exec();
}

bool DialogHost::RunOskLayout(OskLayoutForm& form) {
    OskLayoutDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunInstrumentLists(InstrumentListsForm& form) {
    InstrumentListsDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunGeneralOptions(GeneralOptionsForm& form) {
    GeneralOptionsDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::EditSysex(SysexEditorForm& form) {
    SysexEditorDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunTrackProperties(TrackPropertiesForm& form) {
    TrackPropertiesDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunChangeProperties(ChangePropertiesForm& form, const std::string& title) {
    ChangePropertiesDialog dialog(parent_, prompts_, &help_, form, title);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunSongProperties(SongPropertiesForm& form) {
    SongPropertiesDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

bool DialogHost::RunTimeTempo(TimeTempoForm& form) {
    TimeTempoDialog dialog(parent_, prompts_, &help_, form);
    return Run(dialog) == QDialog::Accepted;
}

void DialogHost::ShowTrackStatistics(const std::vector<std::string>& rows) {
    TrackStatisticsDialog dialog(parent_, prompts_, &help_, rows);
    Run(dialog);
}

}  // namespace kvs
