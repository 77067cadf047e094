#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/cli/cli.h"
#include "config/config_test_support.h"
#include "files/file_result.h"
#include "files/song_file.h"
#include "model/song.h"

extern char** environ;

namespace kvs::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
inline Bytes ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
inline std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}
inline void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, {text.begin(), text.end()});
}

inline bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun RunArgs(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

// Runs a command that must succeed.
inline CliRun RunOk(const std::vector<std::string>& args) {
    CliRun r = RunArgs(args);
    EXPECT_EQ(r.status, kExitOk) << args[0] << ": " << r.err;
    return r;
}

// Sets a variable for the life of the object, then puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// Points the data folder at a fresh folder and chooses the MIDI backend
// for the life of the object.
class ScopedHome {
  public:
    explicit ScopedHome(const char* midi = "none")
        : home_("KVS_HOME", dir_.Path("")), midi_("KVS_MIDI", midi) {}

    std::string File(const std::string& name) const { return dir_.Path(name); }

  private:
    TempFolder dir_;
    ScopedEnv home_;
    ScopedEnv midi_;
};

// Changes one key of the kvs.ini a first start wrote.
inline void SetOption(const ScopedHome& home, const std::string& key, const std::string& value) {
    std::string ini = ReadText(home.File("kvs.ini"));
    const std::size_t at = ini.find("\n" + key + "=");
    if (at == std::string::npos) {
        ADD_FAILURE() << key;
        return;
    }
    ini.replace(at + 1, ini.find('\r', at + 1) - at - 1, key + "=" + value);
    WriteText(home.File("kvs.ini"), ini);
}

// Puts lines at the top of the [ports] section of the kvs.ini a first start wrote.
inline void AddPortsLines(const ScopedHome& home, const std::string& lines) {
    std::string ini = ReadText(home.File("kvs.ini"));
    ini.insert(ini.find("[ports]\r\n") + 9, lines);
    WriteText(home.File("kvs.ini"), ini);
}

// A format 0 file at 96 ticks per beat holding the given track events.
inline Bytes Format0Song(const Bytes& events) {
    const std::string head("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0", 21);
    Bytes file(head.begin(), head.end());
    file.push_back(static_cast<std::uint8_t>(events.size()));
    file.insert(file.end(), events.begin(), events.end());
    return file;
}

inline std::string ExampleSongPath() {
    return KVS_TEST_DATA_DIR "/../../data/examples/minuet.mid";
}

inline Track& AddTrack(Song& song) {
    song.InsertTrack();
    Track* track = song.GetTrack(song.TrackCount() - 1);
    if (track == nullptr) std::abort();
    return *track;
}

inline std::unique_ptr<Song> LoadSong(const std::string& path) {
    auto song = std::make_unique<Song>();
    EXPECT_EQ(LoadSongFile(path, *song, {}), kResultOk) << path;
    return song;
}

// (tick, message) of every sounding note on of a track.
inline std::vector<std::pair<Tick, std::uint32_t>> NoteOns(const Track& track) {
    std::vector<std::pair<Tick, std::uint32_t>> out;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        for (const Event& e : *track.Bucket(beat))
            if (IsSoundingNoteOn(e.message))
                out.emplace_back(beat * TICKS_PER_BEAT + e.offset, e.message);
    return out;
}

// One line of a virtual MIDI log: "milliseconds port hex bytes".
struct LogLine {
    double ms;
    unsigned port;
    std::string bytes;
};

inline std::vector<LogLine> ParseLog(const std::string& text) {
    std::vector<LogLine> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        LogLine l{};
        std::istringstream fields(line);
        fields >> l.ms >> l.port >> std::ws;
        std::getline(fields, l.bytes);
        lines.push_back(l);
    }
    return lines;
}

// Starts a program with its output going to a file (or nowhere).
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, output.empty() ? "/dev/null" : output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    return rc == 0 ? pid : -1;
}

// The exit status, or -1 when the process had to be killed after timeout.
inline int WaitExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace kvs::test
