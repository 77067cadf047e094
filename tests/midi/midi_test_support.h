#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "midi/midi_device_table.h"

namespace kvs::test {

struct RecordingErrors : MidiErrorReporter {
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// A settings file path in a fresh folder, removed with the object.
class TempIni {
  public:
    TempIni() {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("kvs_midi_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
    }
    ~TempIni() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path() const { return (dir_ / "kvs.ini").string(); }

  private:
    std::filesystem::path dir_;
};

}  // namespace kvs::test
