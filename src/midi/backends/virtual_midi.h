#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "midi/device_layer.h"

namespace kvs {

// One message an output received, with the moment it arrived.
struct RecordedMidiMessage {
    std::chrono::steady_clock::time_point time;
    bool isLong = false;
    std::uint32_t shortMessage = 0;   // when !isLong
    std::vector<std::uint8_t> bytes;  // when isLong
};

// A virtual MIDI OUT device. It outlives the ports opened on it, so a test
// can read what was sent after the program closed the device.
class VirtualOutputDevice {
  public:
    enum class LongCompletion {
        Immediate,  // done runs inside SendLong, after the bytes are recorded
        Held,       // done runs when the test calls ReleaseLong
    };

    // Sending records without allocating as long as the reserved space
    // lasts, so allocation-counting tests can send through it.
    void Reserve(std::size_t messages, std::size_t longBytes);
    void SetLongCompletion(LongCompletion mode);
    // Makes the next opens fail (with "device busy") until cleared.
    void SetFailOpen(bool fail);

    std::vector<RecordedMidiMessage> Snapshot() const;
    std::size_t MessageCount() const;
    void Clear();

    bool IsOpen() const;
    std::uint32_t OpenCount() const;  // successful opens so far

    // Completes the oldest held long message; false when none is held.
    bool ReleaseLong();
    std::size_t HeldLongCount() const;

  private:
    friend class VirtualMidiLayer;
    friend class VirtualOutputPort;

    struct Record {
        std::chrono::steady_clock::time_point time;
        bool isLong;
        std::uint32_t shortMessage;
        std::size_t offset;  // into longBytes_
        std::size_t length;
    };

    void RecordShort(std::uint32_t message);
    bool RecordLong(std::span<const std::uint8_t> bytes, std::function<void()> done);

    mutable std::mutex mutex_;
    std::vector<Record> records_;
    std::vector<std::uint8_t> longBytes_;
    std::vector<std::function<void()>> held_;
    LongCompletion completion_ = LongCompletion::Immediate;
    bool failOpen_ = false;
    bool open_ = false;
    std::uint32_t openCount_ = 0;
};

// A virtual MIDI IN device a test feeds from any thread.
class VirtualInputDevice {
  public:
    // Deliver to the sink of the open port; false (nothing delivered) when
    // the device is closed.
    bool FeedShort(std::uint32_t message);
    // Delivered in buffers of at most kSysexBufferSize bytes, as a driver
    // hands over a long message.
    bool FeedSysex(std::span<const std::uint8_t> bytes);

    void SetFailOpen(bool fail);
    bool IsOpen() const;

  private:
    friend class VirtualMidiLayer;
    friend class VirtualInputPort;

    // Held while a message is delivered, so closing waits for a delivery in
    // progress and no callback runs after the port is gone.
    mutable std::mutex mutex_;
    MidiInputSink* sink_ = nullptr;
    std::uint32_t index_ = 0;
    bool failOpen_ = false;
};

// Named virtual devices for tests; with empty lists it is the layer of a
// machine without any MIDI devices ("none").
class VirtualMidiLayer : public MidiDeviceLayer {
  public:
    VirtualMidiLayer(std::vector<std::string> inputNames, std::vector<std::string> outputNames,
                     std::string layerName = "virtual");
    static std::unique_ptr<VirtualMidiLayer> None();

    std::string Name() const override { return layerName_; }
    std::vector<std::string> InputNames() const override { return inputNames_; }
    std::vector<std::string> OutputNames() const override { return outputNames_; }
    std::unique_ptr<MidiOutputPort> OpenOutput(std::uint32_t index, std::string* error) override;
    std::unique_ptr<MidiInputPort> OpenInput(std::uint32_t index, MidiInputSink& sink,
                                             std::string* error) override;

    // index must be below the device count.
    VirtualOutputDevice& Output(std::uint32_t index) { return *outputs_[index]; }
    VirtualInputDevice& Input(std::uint32_t index) { return *inputs_[index]; }

  private:
    std::string layerName_;
    std::vector<std::string> inputNames_;
    std::vector<std::string> outputNames_;
    std::vector<std::shared_ptr<VirtualInputDevice>> inputs_;
    std::vector<std::shared_ptr<VirtualOutputDevice>> outputs_;
};

}  // namespace kvs
