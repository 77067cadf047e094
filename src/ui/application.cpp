#include "ui/application.h"

#include <unistd.h>

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

// Which instrument list each MIDI OUT port uses, kept under "[ports]".
class Application::InstrumentSettings : public SettingsParticipant {
  public:
    InstrumentSettings(InstrumentLists& lists, const MidiDeviceTable& table)
        : lists_(lists), table_(table) {}
    void ResetSettings() override { lists_.ResetAssignments(table_.OutCount()); }
    void ReadSettings(const ProfileStore& store) override { lists_.ReadAssignments(store, Keys()); }
    void WriteSettings(ProfileStore& store) override { lists_.WriteAssignments(store, Keys()); }

  private:
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (std::uint32_t p = 0; p < table_.OutCount(); ++p)
            keys.push_back(table_.PortKey(p));
        return keys;
    }
    InstrumentLists& lists_;
    const MidiDeviceTable& table_;
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

// Device errors go to the error box.
class HostMidiErrors final : public MidiErrorReporter {
  public:
    explicit HostMidiErrors(UiHost& host) : host_(host) {}
    void ShowError(const std::string& text) override { host_.ShowErrorText(text); }

  private:
    UiHost& host_;
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
        // A program run where it was built has no installed share folder;
        // the sources' data folder stands in for it.
        shippedData_ = ShippedDataFolder(ExecutableFolder(), KVS_SOURCE_DATA_DIR);
        const DataFolder folder = ResolveDataFolder(DataFolderInputs::FromEnvironment());
        if (folder.path.empty())
            startNotes_.push_back(ErrorText(prompts_, folder.error));
        else
            paths_ = ProgramPaths::In(folder.path);
    }
    if (options.layer) {
        givenLayer_ = std::move(options.layer);
        layer_ = givenLayer_.get();
    } else {
        backend_ = CreateDeviceLayer(std::string());
        layer_ = backend_.layer.get();
    }
    table_ = std::make_unique<MidiDeviceTable>(*layer_);
    table_->SetPrompts(&prompts_);
    portKeys_ = std::make_unique<TablePortKeys>(*table_);
    portSettings_ = std::make_unique<PortSettings>(*table_);
    instrumentSettings_ = std::make_unique<InstrumentSettings>(instruments_, *table_);
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
        settingsFile_->Attach(SettingsStage::kInstrumentLists, *instrumentSettings_);
        // The lists are looked for only beside an existing settings file, and
        // before it is read, since assignments name them.
        if (access(paths_.settings.c_str(), F_OK) == 0)
            instruments_.Load(paths_.instrumentLists, prompts_.Text(prompt::error_instlistload));
        const SettingsLoadResult loaded = settingsFile_->Load(settings_);
        const LoadPromptsResult prompts = LoadPrompts(prompts_, paths_.language);
        // Told in the language just read.
        if (!loaded.existed) startNotes_.push_back(PromptText(prompt::error_nosettings));
        if (loaded.error != kResultOk) startNotes_.push_back(ErrorText(prompts_, loaded.error));
        if (prompts.error != kResultOk) startNotes_.push_back(ErrorText(prompts_, prompts.error));
        if (prompts.message) startNotes_.push_back(prompts.message->text);

        std::vector<std::string> errors;
        transforms_.LoadFiles(paths_.noteTransforms, paths_.userTransforms, prompts_, &errors);
        startNotes_.insert(startNotes_.end(), errors.begin(), errors.end());
    }
    if (!backend_.note.empty()) startNotes_.push_back(backend_.note);

    focus_ = FocusedChild::TrackList;
    NewSong();
    keyCommands_.SetMap(settings_.keyCommands);
    keyCommands_.SetEnabled(settings_.general.keyCommands);
    assignment_.Set(settings_.midiAssign);
    recorder_->SetThru(settings_.engine.midiThru);
    recorder_->SetMidiInDialogs(settings_.general.midiInDialogs);
    session_->SetDefaultPort(settings_.general.defaultPort);
    ApplyEngineOptions();
    Refresh(refresh::Title | refresh::MenuStates | refresh::StatusBar | refresh::TrackList |
            refresh::TrackView | refresh::Layout);

    for (const std::string& note : startNotes_)
        host_.ShowErrorText(note);
    startNotes_.clear();

    table_->SetInputSink(recorder_.get());
    HostMidiErrors errors(host_);
    (void)table_->OpenMidiDevices(errors);
    AutoLocalAtStartUp(settings_.general, *sink_);
    recovery_ = std::make_unique<RecoveryCopy>(paths_.folder.empty() ? std::string()
                                                                     : WithSlash(paths_.folder));
    OfferRecovery();
    started_ = true;
}

void Application::ExitSequence() {
    if (exited_) return;
    exited_ = true;
    if (engine_->Busy()) engine_->StopEngine();
    ThruNotesOff();
    if (started_) AutoLocalAtExit(settings_.general, *sink_);
    // A normal end: the song was saved or its changes were let go.
    if (recovery_) recovery_->Discard();
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
    // The changes the copy holds were let go with the song.
    if (started_ && recovery_) recovery_->Discard();
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
    // A range of tracks chosen in the view stays while its cursor is there.
    if (track >= 0 && view_.CursorTrackOrNone() != track) {
        following_ = true;
        view_.SelectTracks(static_cast<std::uint32_t>(track), static_cast<std::uint32_t>(track));
        following_ = false;
    }
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

EngineLink& Application::EditLink() {
    return *link_;
}

void Application::ProcessNotifications() {
    notifier_.ClearWake();
    // Bounded, so a flood from the input side cannot starve the window; what
    // is left wakes it again.
    for (int i = 0; i < 4096; ++i) {
        const std::optional<Notification> n = notifier_.Take();
        if (!n) return;
        Dispatch(*n);
    }
    notifier_.Wake();
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
    // Only stopped: /Q closes after Play/stop, not after hiding the window.
    StopEngine();
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
    if (!Stopped()) StopEngine();
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
        if (!tested.message.text.empty()) {
            if (tested.message.icon == PromptMessage::Icon::Information)
                host_.ShowInfoText(tested.message.text);
            else
                host_.ShowErrorText(tested.message.text);
        }
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
