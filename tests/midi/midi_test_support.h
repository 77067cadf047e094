#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "midi/backends/virtual_midi.h"
#include "midi/midi_device_table.h"
#include "midi/notifier.h"
#include "midi/sysex_queue.h"

namespace kvs::test {

struct RecordingErrors : MidiErrorReporter {
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// What an input delivered: a short message, or a SysEx buffer (message 0).
struct ReceivedInput {
    ReceivedInput(std::uint32_t d, std::uint32_t m, std::vector<std::uint8_t> b = {})
        : device(d), message(m), bytes(std::move(b)) {}
    std::uint32_t device;
    std::uint32_t message;
    std::vector<std::uint8_t> bytes;
    bool operator==(const ReceivedInput&) const = default;
};

class RecordingInput final : public MidiInputSink {
  public:
    void OnShortMessage(std::uint32_t device, std::uint32_t message) override {
        Add({device, message, {}});
    }
    void OnSysexBuffer(std::uint32_t device, std::span<const std::uint8_t> bytes) override {
        Add({device, 0, {bytes.begin(), bytes.end()}});
    }
    std::vector<ReceivedInput> Got() {
        std::lock_guard lock(mutex_);
        return got_;
    }

  private:
    void Add(ReceivedInput r) {
        std::lock_guard lock(mutex_);
        got_.push_back(std::move(r));
    }
    std::mutex mutex_;
    std::vector<ReceivedInput> got_;
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

// Two virtual outputs opened through the device table, the SysEx queue on top.
struct QueueRig {
    using Completion = VirtualOutputDevice::LongCompletion;
    VirtualMidiLayer layer{{}, {"out-a", "out-b"}};
    MidiDeviceTable devices{layer};
    FifoNotifier notifier;
    SysexQueue queue{devices, notifier};

    explicit QueueRig(Completion completion = Completion::Immediate) {
        devices.EnumerateMidiDevices();
        RecordingErrors errors;
        EXPECT_TRUE(devices.OpenMidiDevices(errors));
        layer.Output(0).SetLongCompletion(completion);
        layer.Output(1).SetLongCompletion(completion);
    }
    // What the window thread does with the notifications; returns how many
    // SYSEX_DONE it handled.
    int Pump() {
        int done = 0;
        while (auto n = notifier.Take()) {
            if (n->id != SYSEX_DONE) continue;
            ++done;
            queue.SysexSent();
        }
        return done;
    }
    std::vector<RecordedMidiMessage> Sent(std::uint32_t port) {
        return layer.Output(port).Snapshot();
    }
    std::vector<std::vector<std::uint8_t>> LongSent(std::uint32_t port) {
        std::vector<std::vector<std::uint8_t>> all;
        for (const RecordedMidiMessage& m : Sent(port))
            if (m.isLong) all.push_back(m.bytes);
        return all;
    }
};

}  // namespace kvs::test
