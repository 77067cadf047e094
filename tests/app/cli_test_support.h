#pragma once

#include <gtest/gtest.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli.h"

namespace kvs::test {

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvs-cli-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
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

// Sets a variable for the life of the object, then puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// Points the data folder at a fresh folder and chooses the MIDI backend
// for the life of the object.
class ScopedHome {
  public:
    explicit ScopedHome(const char* midi = "none")
        : home_("KVS_HOME", dir_.File("")), midi_("KVS_MIDI", midi) {}

    std::string File(const std::string& name) const { return dir_.File(name); }

  private:
    TempDir dir_;
    ScopedEnv home_;
    ScopedEnv midi_;
};

inline std::string ReadText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, {text.begin(), text.end()});
}

// Changes one key of the kvs.ini a first start wrote.
inline void SetOption(const ScopedHome& home, const std::string& key, const std::string& value) {
    std::string ini = ReadText(home.File("kvs.ini"));
    const std::size_t at = ini.find("\n" + key + "=");
    if (at == std::string::npos) {
        ADD_FAILURE() << key;
        return;
    }
    const std::size_t end = ini.find('\r', at + 1);
    ini.replace(at + 1, end - at - 1, key + "=" + value);
    WriteText(home.File("kvs.ini"), ini);
}

// Puts lines at the top of the [ports] section of the kvs.ini a first start wrote.
inline void AddPortsLines(const ScopedHome& home, const std::string& lines) {
    std::string ini = ReadText(home.File("kvs.ini"));
    ini.insert(ini.find("[ports]\r\n") + 9, lines);
    WriteText(home.File("kvs.ini"), ini);
}

// A format 0 file at 96 ticks per beat holding the given track events.
inline std::vector<std::uint8_t> Format0Song(const std::vector<std::uint8_t>& events) {
    const std::string head("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0", 21);
    std::vector<std::uint8_t> file(head.begin(), head.end());
    file.push_back(static_cast<std::uint8_t>(events.size()));
    file.insert(file.end(), events.begin(), events.end());
    return file;
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

inline std::string ExampleSongPath() {
    return KVS_TEST_DATA_DIR "/../../data/examples/minuet.mid";
}

}  // namespace kvs::test
