#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kvs {

// Receives everything an open MIDI IN device delivers, on the device layer's
// own thread. Long messages arrive in buffers of at most kSysexBufferSize
// bytes; a longer SysEx message comes in several consecutive buffers.
class MidiInputSink {
  public:
    virtual ~MidiInputSink() = default;
    // A packed short message (status | data1 << 8 | data2 << 16) of device.
    virtual void OnShortMessage(std::uint32_t device, std::uint32_t message) = 0;
    // A filled SysEx buffer of device.
    virtual void OnSysexBuffer(std::uint32_t device, std::span<const std::uint8_t> bytes) = 0;
};

inline constexpr std::size_t kSysexBufferSize = 32768;

class MidiOutputPort {
  public:
    virtual ~MidiOutputPort() = default;
    // Sends one packed short message; never blocks for long, never queues.
    virtual void SendShort(std::uint32_t message) = 0;
    // Starts sending a long message (the bytes must stay valid until done is
    // called). done runs once the message has left, on any thread. Returns
    // false (and never calls done) when the message cannot be started.
    virtual bool SendLong(std::span<const std::uint8_t> bytes, std::function<void()> done) = 0;
    // Any thread: long messages started before this call stop using their
    // bytes as soon as they can (done still runs). A message cut short is
    // ended for the receiver.
    virtual void CancelLong() {}
    // Messages this port accepted but could not deliver (full buffers).
    virtual std::uint64_t Dropped() const { return 0; }
};

class MidiInputPort {
  public:
    virtual ~MidiInputPort() = default;  // stops input; no callback runs after
};

// The system's MIDI devices: enumeration by stable system name, opening.
// Implementations: RtMidi (ALSA sequencer, JACK), the built-in synthesizer,
// virtual devices for tests.
class MidiDeviceLayer {
  public:
    virtual ~MidiDeviceLayer() = default;
    virtual std::string Name() const = 0;  // "alsa", "jack", "virtual", "none"
    // System names in system order, at most 31 characters, stable between runs.
    virtual std::vector<std::string> InputNames() const = 0;
    virtual std::vector<std::string> OutputNames() const = 0;
    // Null when the device cannot be opened; error then says why.
    virtual std::unique_ptr<MidiOutputPort> OpenOutput(std::uint32_t index, std::string* error) = 0;
    // Input of device index is delivered to sink with that index as device.
    virtual std::unique_ptr<MidiInputPort> OpenInput(std::uint32_t index, MidiInputSink& sink,
                                                     std::string* error) = 0;
};

}  // namespace kvs
