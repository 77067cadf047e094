#pragma once

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/song_file.h"
#include "midi/backends/virtual_midi.h"
#include "midi/timer_manual.h"
#include "model/song.h"
#include "ui/application.h"
#include "ui/command_line.h"
#include "ui/program_note_editor.h"
#include "ui/ui_host.h"

namespace kvs::test {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvs-ui-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Path() const { return path_.string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// A window that answers from queues the test fills; unanswered questions
// are cancelled.
class ScriptedHost : public UiHost {
  public:
    std::deque<Answer> saveAnswers;
    std::deque<std::optional<FileChoice>> files;
    std::deque<std::optional<std::int32_t>> numbers;
    std::vector<std::string> errors;
    std::vector<FileDialogRequest> fileRequests;
    int closes = 0, raises = 0, tips = 0, helps = 0;

    void ShowErrorText(const std::string& text) override { errors.push_back(text); }
    Answer AskYesNoCancel(const std::string& text) override {
        questions.push_back(text);
        if (saveAnswers.empty()) return Answer::Cancel;
        const Answer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    bool AskYesNo(const std::string&) override { return false; }
    std::optional<FileChoice> AskFile(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
    void ShowTipOfDay() override { ++tips; }
    void ShowAbout() override {}
    void ShowCommandLineHelp(const CommandLineHelp&) override { ++helps; }
    void ShowHelpContents() override {}
    void OpenUrl(const std::string&) override {}
    bool AskGoto(GotoForm&) override { return false; }
    bool AskMarker(MarkerListForm&) override { return false; }
    bool AskKeepRecording() override { return true; }
    void CloseWindow() override { ++closes; }
    void RaiseWindow() override { ++raises; }
    void Refresh(std::uint32_t, std::int32_t) override {}

    std::optional<std::int32_t> AskNumber(const char*, const char*, std::int32_t, std::int32_t,
                                          std::int32_t) override {
        if (numbers.empty()) return std::nullopt;
        auto n = numbers.front();
        numbers.pop_front();
        return n;
    }
    std::optional<std::uint32_t> AskPort(const char*, const char*, std::uint32_t) override {
        return std::nullopt;
    }
    std::optional<FindRequest> AskFind(const FindRequest&) override { return std::nullopt; }
    bool Confirm(const char*) override { return true; }
    void ShowError(const char* key) override { errors.push_back(key); }
    bool RunValueDialog(ValueDialog&) override { return acceptValueDialogs; }
    bool acceptValueDialogs = false;  // OK with the values as they open
    bool Ask(ChoosePortForm&) override {
        ++portQuestions;
        return false;
    }
    int portQuestions = 0;
    // The editors' windows, when the test gives them.
    std::function<bool(CtrlEditorSession&)> ctrlEditor;
    std::function<bool(EventListSession&)> eventList;
    bool RunCtrlEditor(CtrlEditorSession& editor) override {
        return ctrlEditor && ctrlEditor(editor);
    }
    bool RunEventList(EventListSession& list) override { return eventList && eventList(list); }
    // Acts in the note editor as its window would; unset, none is shown.
    std::function<void(ProgramNoteEditor&)> noteEditor;
    bool RunNoteEditor(ProgramNoteEditor& editor) override {
        if (!noteEditor) return false;
        noteEditor(editor);
        return true;
    }

    std::vector<std::string> questions;
};

// An Application on a temporary data folder with one virtual input and
// output and a timer the test fires.
struct AppFixture {
    // extra: more "key=value\r\n" lines for the settings file.
    // realTimer: the timer thread of the program instead of one the test fires.
    explicit AppFixture(const std::string& extra = {}, bool realTimer = false) {
        std::ofstream(data.File("kvs.ini")) << "[OPTIONS]\r\nTipOfDayStartup=0\r\n" << extra;
        auto layer = std::make_unique<VirtualMidiLayer>(std::vector<std::string>{"Virtual In"},
                                                        std::vector<std::string>{"Virtual Out"});
        midi = layer.get();
        Application::Options options;
        options.layer = std::move(layer);
        if (!realTimer) {
            auto manual = std::make_unique<ManualTimer>();
            timer = manual.get();
            options.timer = std::move(manual);
        }
        options.dataFolder = data.Path();
        app = std::make_unique<Application>(host, std::move(options));
        app->StartUp();
    }
    VirtualOutputDevice& Out() { return midi->Output(0); }
    // Every short message sent so far, and the long ones' first bytes.
    std::vector<std::uint32_t> Shorts() const {
        std::vector<std::uint32_t> v;
        for (const RecordedMidiMessage& m : midi->Output(0).Snapshot())
            if (!m.isLong) v.push_back(m.shortMessage);
        return v;
    }
    std::vector<std::vector<std::uint8_t>> Longs() const {
        std::vector<std::vector<std::uint8_t>> v;
        for (const RecordedMidiMessage& m : midi->Output(0).Snapshot())
            if (m.isLong) v.push_back(m.bytes);
        return v;
    }
    // A song of `tracks` tracks with one note in each of the first `beats`
    // beats, written to name.
    std::string WriteSong(const std::string& name, std::uint32_t tracks, std::uint32_t beats) {
        Song song;
        for (std::uint32_t t = 0; t < tracks; ++t) {
            song.InsertTrack();
            Track& track = *song.GetTrack(t);
            track.properties.channel = static_cast<std::uint16_t>(t);
            for (std::uint32_t b = 0; b < beats; ++b) {
                track.AddEvent(b * 192, 0x643C90u | t);
                track.AddEvent(b * 192 + 96, 0x003C80u | t);
            }
        }
        const std::string path = data.File(name);
        (void)SaveSongFile(path, song, SaveType::Full, {"Virtual Out"});
        return path;
    }
    void Open(const std::string& path) {
        const std::vector<std::string> words = {path};
        app->RunCommandLine(ParseCommandLine(words, data.Path()));
    }

    TempFolder data;
    ScriptedHost host;
    VirtualMidiLayer* midi = nullptr;
    ManualTimer* timer = nullptr;
    std::unique_ptr<Application> app;
};

}  // namespace kvs::test
