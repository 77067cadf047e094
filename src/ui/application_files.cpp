#include "config/error_text.h"
#include "config/file_types.h"
#include "midi/output_commands.h"
#include "midi/port_association.h"
#include "ui/application.h"
#include "ui/commands.h"

namespace kvs {
namespace {

// The product's web site (a placeholder until the project has one).
constexpr const char* kWebSite = "https://kavelsong.example.org/";

// The text before the last '/', empty when there is none.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class HostFileTypeQuestion final : public FileTypeQuestion {
  public:
    explicit HostFileTypeQuestion(UiHost& host) : host_(host) {}
    bool AskYesNo(const std::string& text) override { return host_.AskYesNo(text); }

  private:
    UiHost& host_;
};

}  // namespace

int Application::ExecuteFile(std::uint32_t id) {
    EditSession& s = *session_;
    const std::uint32_t all = refresh::Title | refresh::StatusBar | refresh::TrackList |
                              refresh::TrackView | refresh::MenuStates;
    switch (id) {
        case cmd::FileNew:
            if (s.GetSong().modified != 0 && !AskSave()) return 0;
            NewSong();
            Refresh(all);
            return 0;
        case cmd::FileOpen: {
            if (s.GetSong().modified != 0 && !AskSave()) return 0;
            std::string path;
            if (!ChooseFile(1, path)) return 0;
            NewSong();
            s.SetSongPath(path);
            Refresh(all);
            (void)LoadFile();
            return 0;
        }
        case cmd::FileAppend: {
            if (!Stopped() || !HasCurrent()) return 0;
            const std::string kept = s.SongPath();
            std::string path;
            if (!ChooseFile(1, path)) return 0;
            s.SetSongPath(path);
            (void)LoadFile();
            s.SetSongPath(kept);
            s.GetSong().modified = 1;
            Refresh(all);
            return 0;
        }
        case cmd::FileSave:
            return Save();
        case cmd::FileSaveAs:
            return SaveAs();
        case cmd::FileExportAudio:
            ExportAudio();
            return 0;
        case cmd::FileSongProperties:
            if (EditSongProperties()) Refresh(all);
            return 0;
        case cmd::FileExit:
            host_.CloseWindow();
            return 0;
        case cmd::HelpContents:
            host_.ShowHelpContents();
            return 0;
        case cmd::HelpTipOfDay:
            host_.ShowTipOfDay();
            return 0;
        case cmd::HelpOnWeb:
            host_.OpenUrl(kWebSite);
            return 0;
        case cmd::HelpAbout:
            host_.ShowAbout();
            return 0;
        case cmd::LoadFile:
            return LoadFile() ? 1 : 0;
        case cmd::WriteFile:
            return WriteFile();
        default:
            break;
    }
    if (id >= cmd::RecentFirst && id <= cmd::RecentLast) OpenRecent(id - cmd::RecentFirst);
    return 0;
}

bool Application::AskSave() {
    const std::string& path = session_->SongPath();
    const std::string text = path.empty()
                                 ? PromptText(prompt::confirm_new_untitled)
                                 : FormatPromptText(prompts_.Text(prompt::confirm_new_file), path);
    switch (host_.AskYesNoCancel(text)) {
        case UiHost::Answer::Yes:
            return Save() == 1;
        case UiHost::Answer::No:
            return true;
        case UiHost::Answer::Cancel:
            break;
    }
    return false;
}

int Application::Save() {
    return session_->SongPath().empty() ? SaveAs() : WriteFile();
}

int Application::SaveAs() {
    const std::string kept = session_->SongPath();
    std::string path = kept;
    if (!ChooseFile(2, path)) return 0;
    session_->SetSongPath(path);
    const int written = WriteFile();
    // The song keeps naming the file it came from until another holds it.
    if (written == 0) session_->SetSongPath(kept);
    return written;
}

bool Application::ChooseFile(std::uint32_t mode, std::string& path) {
    FileDialogRequest request;
    request.mode = mode;
    const bool save = (mode & 2) != 0;
    auto filter = [&](prompt::Id name, const char* pattern) {
        request.filters.push_back(FileFilter{PromptText(name), pattern});
    };
    if (save) {
        request.title = PromptText(prompt::file_save_title);
        filter(prompt::file_save_typekvs, "*.mid");
        filter(prompt::file_save_typemid1, "*.mid");
        filter(prompt::file_save_typemid0, "*.mid");
        filter(prompt::file_save_typesyx, "*.syx");
        request.filterIndex = static_cast<std::uint32_t>(saveType_);
        request.defaultSuffix = "mid";
        request.initialName = path;
    } else {
        request.title = PromptText(prompt::file_open_title);
        filter(prompt::file_open_typemid, "*.mid");
        filter(prompt::file_open_typesyx, "*.syx");
        filter(prompt::file_open_typeall, "*");
    }
    std::string& remembered = (mode & 4) != 0 ? settings_.libDir : settings_.songDir;
    request.folder = remembered;
    const std::optional<UiHost::FileChoice> choice = host_.AskFile(request);
    if (!choice || choice->path.empty()) return false;
    path = choice->path;
    remembered = FolderOf(path);
    if (save && choice->filterIndex <= static_cast<std::uint32_t>(SaveType::Sysex))
        saveType_ = static_cast<SaveType>(choice->filterIndex);
    return true;
}

void Application::OpenRecent(std::uint32_t index) {
    const std::string path = settings_.recentFiles[index];
    if (path.empty()) return;
    if (session_->GetSong().modified != 0 && !AskSave()) return;
    NewSong();
    session_->SetSongPath(path);
    (void)LoadFile();
}

LoadOptions Application::LoadOptionsForSong(bool askPorts) {
    LoadOptions load;
    // Any other stored value scans nothing, like a silent load.
    load.scanInit = static_cast<int>(std::min<std::uint32_t>(settings_.general.scanInit, 3));
    load.defaultPort =
        static_cast<std::uint16_t>(std::min<std::uint32_t>(settings_.general.defaultPort, 0xFFFF));
    load.autoclean = settings_.general.autoClean;
    load.resolvePort =
        MakePortResolver(load, *table_, settingsFile_ ? settingsFile_->Store() : noFile_,
                         askPorts ? &host_ : nullptr);
    return load;
}

std::vector<std::string> Application::OutPortNames() const {
    std::vector<std::string> names;
    for (const MidiDeviceInfo& device : table_->Outputs())
        names.push_back(device.systemName);
    return names;
}

bool Application::LoadFile() {
    EditSession& s = *session_;
    const std::string path = s.SongPath();
    const std::uint32_t all = refresh::Title | refresh::StatusBar | refresh::TrackList |
                              refresh::TrackView | refresh::MenuStates;
    const ResultCode result = LoadSongFile(path, s.GetSong(), LoadOptionsForSong());
    if (result != kResultOk) {
        // What was read stays to look at, but Save must never write it over
        // the file it failed to read.
        s.SetSongPath(std::string());
        MakeCurrent(view_.CursorTrackOrNone());
        Refresh(all);
        host_.ShowErrorText(ErrorText(prompts_, result));
        return false;
    }
    settings_.recentFiles.Add(path, FolderOf(path));
    view_.SetSong(&s.GetSong());
    MakeCurrent(view_.CursorTrackOrNone());
    Refresh(all);
    AutoLoadSend(settings_.general, *engine_, *queue_);
    return true;
}

int Application::WriteFile() {
    EditSession& s = *session_;
    const std::string path = s.SongPath();
    const ResultCode result = SaveSongFile(path, s.GetSong(), saveType_, OutPortNames());
    if (result != kResultOk) {
        host_.ShowErrorText(ErrorText(prompts_, result));
        return 0;
    }
    s.GetSong().modified = 0;
    if (recovery_) recovery_->Discard();
    settings_.recentFiles.Add(path, FolderOf(path));
    Refresh(refresh::Title | refresh::MenuStates);
    return 1;
}

void Application::RegisterTypes() {
    FileTypeTexts texts;
    texts.typeMid = PromptText(prompt::shell_type_mid);
    texts.typeSyx = PromptText(prompt::shell_type_syx);
    texts.actionOpen = PromptText(prompt::shell_action_open);
    texts.actionPlay = PromptText(prompt::shell_action_play);
    texts.inUse = PromptText(prompt::shell_type_inuse);
    HostFileTypeQuestion question(host_);
    (void)RegisterFileTypes(OwnProgramPath(), texts, FileTypeRoots::FromEnvironment(), question);
}

}  // namespace kvs
