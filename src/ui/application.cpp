#include "ui/application.h"

#include <algorithm>

#include "config/error_text.h"
#include "config/language_file.h"
#include "midi/engine.h"
#include "midi/engine_edit_link.h"
#include "midi/output_commands.h"
#include "midi/sysex_queue.h"
#include "midi/timer_thread.h"
#include "ui/commands.h"

namespace kvs {

// Settings name ports by the system names of the enumerated outputs.
class Application::TablePortKeys : public PortKeys {
  public:
    explicit TablePortKeys(const MidiDeviceTable& table) : table_(table) {}
    std::uint32_t PortFromKey(std::string_view text) const override {
        return table_.PortFromKey(text);
    }
    std::string PortKey(std::uint32_t port) const override { return table_.PortKey(port); }

  private:
    const MidiDeviceTable& table_;
};

class Application::PortSettings : public SettingsParticipant {
  public:
    explicit PortSettings(MidiDeviceTable& table) : table_(table) {}
    void ResetSettings() override { table_.ResetPortSettings(); }
    void ReadSettings(const ProfileStore& store) override {
        table_.ReadPortAliases(store);
        table_.ReadPortSettings(store);
    }
    void WriteSettings(ProfileStore& store) override {
        table_.WritePortAliases(store);
        table_.WritePortSettings(store);
    }

  private:
    MidiDeviceTable& table_;
};

// Declared last, so destroyed first: nothing may send, receive or point
// into the song once the members after the devices start to go.
struct Application::Shutdown {
    explicit Shutdown(Application& app) : app(app) {}
    ~Shutdown() {
        app.engine_->StopEngine();
        app.timer_->Stop();
        app.table_->SetInputSink(nullptr);
        app.table_->CloseMidiDevices();
        app.queue_->DropWaiting();
    }
    Application& app;
};

namespace {

// The device table reports in English; the user reads the prompt file's
// language.
class TranslatedMidiErrors final : public MidiErrorReporter {
  public:
    TranslatedMidiErrors(UiHost& host, const PromptTable& prompts)
        : host_(host), prompts_(prompts) {}
    void ShowError(const std::string& text) override {
        host_.ShowErrorText(
            Translate(text, kOpenMidiInError, prompt::error_openmidiin)
                .value_or(
                    Translate(text, kOpenMidiOutError, prompt::error_openmidiout).value_or(text)));
    }

  private:
    std::optional<std::string> Translate(const std::string& text, std::string_view english,
                                         prompt::Id id) const {
        const std::string_view prefix = english.substr(0, english.find("%s"));
        if (text.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
        return FormatPromptText(prompts_.Text(id), std::string_view(text).substr(prefix.size()));
    }
    UiHost& host_;
    const PromptTable& prompts_;
};

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    return folder;
}

}  // namespace

Application::Application(UiHost& host, Options options)
    : host_(host), shippedData_(std::move(options.shippedData)) {
    if (!options.dataFolder.empty()) {
        paths_ = ProgramPaths::In(WithSlash(options.dataFolder));
    } else {
        const DataFolder folder = ResolveDataFolder(DataFolderInputs::FromEnvironment());
        if (folder.path.empty())
            startNotes_.push_back(ErrorText(prompts_, folder.error));
        else
            paths_ = ProgramPaths::In(folder.path);
    }
    if (options.layer) {
        layer_ = std::move(options.layer);
    } else {
        BackendChoice choice = CreateDeviceLayer(std::string());
        layer_ = std::move(choice.layer);
        backendNote_ = std::move(choice.note);
    }
    table_ = std::make_unique<MidiDeviceTable>(*layer_);
    portKeys_ = std::make_unique<TablePortKeys>(*table_);
    portSettings_ = std::make_unique<PortSettings>(*table_);
    sink_ = std::make_unique<DeviceTableSink>(*table_);
    queue_ = std::make_unique<SysexQueue>(*table_, notifier_);
    timer_ = options.timer ? std::move(options.timer) : std::make_unique<ThreadTimer>();
    engine_ = std::make_unique<Engine>(*timer_, *sink_, notifier_, queue_.get());
    filters_ = std::make_unique<LiveMidiInFilters>(keyCommands_, assignment_, notifier_);
    recorder_ = std::make_unique<Recorder>(*engine_, *sink_, notifier_);
    recorder_->SetHost(this);
    recorder_->SetFilters(filters_.get());
    link_ = std::make_unique<EngineEditLink>(*engine_, [this] { recorder_->ThruNotesOff(); });
    session_ = std::make_unique<EditSession>(*link_, view_, host_);
    view_.SetListener(this);
    view_.SetZoom(4);
    view_.SetSong(&session_->GetSong());
    recorder_->SetSong(&session_->GetSong());
    shutdown_ = std::make_unique<Shutdown>(*this);
}

Application::~Application() {
    if (started_ && !exited_) ExitSequence();
}

void Application::StartUp() {
    if (started_) return;
    if (!paths_.folder.empty() && !shippedData_.empty()) {
        ResultCode error = kResultOk;
        CopyShippedFiles(shippedData_, paths_.folder, &error);
        if (error != kResultOk) startNotes_.push_back(ErrorText(prompts_, error));
    }
    table_->EnumerateMidiDevices();
    keyCommands_.SetMap(KeyCommandMap{});
    assignment_.Set(MidiAssignSettings{});

    if (!paths_.folder.empty()) {
        settingsFile_ = std::make_unique<SettingsFile>(paths_.settings, *portKeys_);
        settingsFile_->Attach(SettingsStage::kPorts, *portSettings_);
        const SettingsLoadResult loaded = settingsFile_->Load(settings_);
        // The prompt file is not read yet: this note is shown in English
        // when it comes from a first start.
        if (!loaded.existed) startNotes_.push_back(PromptText(prompt::error_nosettings));
        if (loaded.error != kResultOk) startNotes_.push_back(ErrorText(prompts_, loaded.error));

        const LoadPromptsResult prompts = LoadPrompts(prompts_, paths_.language);
        if (prompts.error != kResultOk) startNotes_.push_back(ErrorText(prompts_, prompts.error));
        if (prompts.message) startNotes_.push_back(prompts.message->text);

        std::vector<std::string> errors;
        transforms_.LoadFiles(paths_.noteTransforms, paths_.userTransforms, prompts_, &errors);
        startNotes_.insert(startNotes_.end(), errors.begin(), errors.end());
        instruments_.Load(paths_.instrumentLists);
    }
    if (!backendNote_.empty()) startNotes_.push_back(backendNote_);

    focus_ = FocusedChild::TrackList;
    NewSong();
    keyCommands_.SetMap(settings_.keyCommands);
    keyCommands_.SetEnabled(settings_.general.keyCommands);
    assignment_.Set(settings_.midiAssign);
    recorder_->SetThru(settings_.engine.midiThru);
    recorder_->SetMidiInDialogs(settings_.general.midiInDialogs);
    ApplyEngineOptions();
    Refresh(refresh::Title | refresh::MenuStates | refresh::StatusBar | refresh::TrackList |
            refresh::TrackView | refresh::Layout);

    for (const std::string& note : startNotes_)
        host_.ShowErrorText(note);
    startNotes_.clear();

    table_->SetInputSink(recorder_.get());
    TranslatedMidiErrors errors(host_, prompts_);
    (void)table_->OpenMidiDevices(errors);
    AutoLocalAtStartUp(settings_.general, *sink_);
    started_ = true;
}

void Application::ExitSequence() {
    if (exited_) return;
    exited_ = true;
    if (engine_->Busy()) engine_->StopEngine();
    ThruNotesOff();
    if (started_) AutoLocalAtExit(settings_.general, *sink_);
    table_->SetInputSink(nullptr);
    queue_->DropWaiting();
    table_->CloseMidiDevices();
    if (started_ && settingsFile_) {
        const ResultCode saved = settingsFile_->Save(settings_);
        if (saved != kResultOk) host_.ShowErrorText(ErrorText(prompts_, saved));
    }
    transforms_.Free();
}

void Application::ApplyEngineOptions() {
    EngineOptions options;
    options.settings = settings_.engine;
    options.midiInDialogs = settings_.general.midiInDialogs;
    options.confirmRecord = settings_.general.confirmRecord;
    if (Stopped()) engine_->SetOptions(options);
    engine_->SetMetronome(settings_.engine.metronome);
}

bool Application::Stopped() const {
    return !engine_->Busy();
}

void Application::ThruNotesOff() {
    recorder_->ThruNotesOff();
}

void Application::NewSong() {
    ThruNotesOff();
    session_->NewSong();
    toolState_.NewSong();
    punch_ = false;
    recorder_->SetPunch(false);
    recorder_->SetSong(&session_->GetSong());
    view_.SetSong(&session_->GetSong());
    MakeCurrent(-1);
}

void Application::MakeCurrent(std::int32_t track) {
    if (session_->SetCurrentTrack(track) != EditResult::Done) track = -1;
    if (track < 0) (void)session_->SetCurrentTrack(-1);
    following_ = true;
    if (track >= 0)
        view_.SelectTracks(static_cast<std::uint32_t>(track), static_cast<std::uint32_t>(track));
    following_ = false;
    const Track* t = session_->Current();
    recorder_->SetCurrentTrack(track, t != nullptr ? t->properties.port : 0,
                               t != nullptr ? t->properties.channel : kNoChannel);
}

void Application::SaveUndo(std::uint32_t track) {
    if (session_->CurrentTrack() != static_cast<std::int32_t>(track))
        MakeCurrent(static_cast<std::int32_t>(track));
    (void)session_->SaveUndo();
}

void Application::OnTrackViewNotify(TrackViewNotify code) {
    switch (code) {
        case TrackViewNotify::CursorTrack:
            if (following_) return;
            ThruNotesOff();
            MakeCurrent(view_.CursorTrackOrNone());
            Refresh(refresh::ListSelection | refresh::StatusBar);
            return;
        case TrackViewNotify::Position:
            Refresh(refresh::StatusBar);
            link_->MovePosition(view_.Caret());
            return;
        case TrackViewNotify::ScrolledSideways:
            return;
        case TrackViewNotify::ScrolledVertically:
            Refresh(refresh::ListTopRow);
            return;
        case TrackViewNotify::DeleteKey:
            Execute(cmd::EditDelete);
            return;
        case TrackViewNotify::InsertKey:
            Execute(cmd::EditInsert);
            return;
    }
}

void Application::SelectTrackFromList(std::int32_t row) {
    ThruNotesOff();
    MakeCurrent(row);
    Refresh(refresh::StatusBar | refresh::TrackView);
}

std::uint32_t Application::TrackCount() const {
    return session_->GetSong().TrackCount();
}

std::int32_t Application::CurrentTrack() const {
    return session_->CurrentTrack();
}

bool Application::KeyFromTrackList(ListKey key, bool ctrl, bool shift) {
    switch (key) {
        case ListKey::Enter:
            if (focus_ != FocusedChild::TrackList) return false;
            Execute(cmd::TrackInitProperties);
            return true;
        case ListKey::End:
            return view_.KeyDown(TrackViewKey::End, shift, ctrl);
        case ListKey::Home:
            return view_.KeyDown(TrackViewKey::Home, shift, ctrl);
        case ListKey::Left:
            return view_.KeyDown(TrackViewKey::Left, shift, ctrl);
        case ListKey::Right:
            return view_.KeyDown(TrackViewKey::Right, shift, ctrl);
        case ListKey::Insert:
            if (ctrl) {
                Execute(cmd::TrackInsert);
                return true;
            }
            return view_.KeyDown(TrackViewKey::Insert, shift, false);
        case ListKey::Delete:
            Execute(ctrl ? cmd::TrackDelete : cmd::EditDelete);
            return true;
    }
    return false;
}

void Application::ProcessNotifications() {
    notifier_.ClearWake();
    // Bounded, so a flood from the input side cannot starve the window.
    for (int i = 0; i < 4096; ++i) {
        const std::optional<Notification> n = notifier_.Take();
        if (!n) return;
        Dispatch(*n);
    }
}

void Application::Dispatch(const Notification& n) {
    if (recorder_->OnNotification(n) && n.id == ENGINE_NOTIFY && n.code >= kNotifyLoopWrap) {
        Refresh(refresh::TrackRow, static_cast<std::int32_t>(recorder_->RecordTrack()));
        return;
    }
    switch (n.id) {
        case ENGINE_NOTIFY: {
            if (n.code >= kNotifyLoopWrap) return;
            const EngineState s = engine_->State();
            if ((n.code & kNotifyBeat) != 0 && settings_.general.followPlay &&
                static_cast<std::uint32_t>(s) <= 3) {
                const std::uint32_t beat = engine_->Position() / TICKS_PER_BEAT;
                view_.Select(beat, beat);
                Refresh(refresh::StatusBar);
            }
            if ((n.code & kNotifyStateChanged) != 0)
                Refresh(refresh::StatusBar | refresh::MenuStates);
            return;
        }
        case SYSEX_DONE:
            queue_->SysexSent();
            return;
        case MIDI_IN_MESSAGE:
            host_.OnMidiIn(n.code);
            return;
        default:
            // The song's end (Play/stop) and the MIDI key commands.
            Execute(n.id);
            return;
    }
}

bool Application::MinimizeRequested() {
    if (Stopped()) return false;
    PlayStop();
    return true;
}

bool Application::CloseRequested() {
    return session_->GetSong().modified == 0 || AskSave();
}

bool Application::ReceiveHandOver(const std::vector<std::string>& words,
                                  const std::string& workingFolder) {
    // A take in the making (its count-in and start delay included) is never
    // thrown away for a command line.
    if (IsRecording(engine_->State())) {
        host_.ShowErrorText(PromptText(prompt::error_cantcmd));
        return false;
    }
    // Stopped as Play/stop stops, but a pending /Q does not close the
    // program that was just handed something to open.
    if (!Stopped()) {
        engine_->StopEngine();
        Refresh(refresh::StatusBar | refresh::MenuStates | refresh::TrackView);
    }
    if (session_->GetSong().modified != 0 && !AskSave()) return false;
    NewSong();
    Refresh(refresh::Title | refresh::StatusBar | refresh::TrackList | refresh::TrackView |
            refresh::MenuStates);
    RunCommandLine(ParseCommandLine(words, workingFolder));
    host_.RaiseWindow();
    return true;
}

void Application::RunCommandLine(const CommandLine& line) {
    if (line.Has(cmdline::Error)) {
        host_.ShowErrorText(PromptText(prompt::error_cmdline));
        return;
    }
    quitAfterPlay_ = line.Has(cmdline::Quit);
    if (line.Has(cmdline::Help)) host_.ShowCommandLineHelp(CommandLineHelpTexts(prompts_));
    if (line.Has(cmdline::TestPrompts) && !paths_.folder.empty()) {
        const TestPromptsResult tested =
            TestPromptFile(prompts_, paths_.language, paths_.newLanguage);
        if (!tested.message.text.empty()) host_.ShowErrorText(tested.message.text);
    }
    if (!line.file.empty()) {
        session_->SetSongPath(line.file);
        Execute(cmd::LoadFile);
    }
    if (!line.Has(cmdline::Play) && settings_.general.tipOfDayStartup) host_.ShowTipOfDay();
    if (line.Has(cmdline::Play)) Execute(cmd::PlayStop);
    if (line.Has(cmdline::Register)) RegisterTypes();
}

}  // namespace kvs
