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

// Points the data folder at a fresh folder and chooses the MIDI backend
// for the life of the object; the previous values come back afterwards.
class ScopedHome {
  public:
    explicit ScopedHome(const char* midi = "none")
        : midi_(Get("KVS_MIDI")), home_(Get("KVS_HOME")) {
        setenv("KVS_HOME", dir_.File("").c_str(), 1);
        setenv("KVS_MIDI", midi, 1);
    }
    ~ScopedHome() {
        Restore("KVS_MIDI", midi_);
        Restore("KVS_HOME", home_);
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

    std::string File(const std::string& name) const { return dir_.File(name); }

  private:
    static std::string Get(const char* name) {
        const char* v = std::getenv(name);
        return v ? v : "";
    }
    static void Restore(const char* name, const std::string& value) {
        if (value.empty()) {
            unsetenv(name);
        } else {
            setenv(name, value.c_str(), 1);
        }
    }

    std::string midi_;
    std::string home_;
    TempDir dir_;
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

inline std::string ExampleSongPath() {
    return KVS_TEST_DATA_DIR "/../../data/examples/minuet.mid";
}

}  // namespace kvs::test
