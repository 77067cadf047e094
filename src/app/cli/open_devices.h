#pragma once

#include <cstdint>
#include <optional>

#include "midi/midi_device_table.h"

namespace kvs {

// The devices one command uses, open while it lives: one output and at most
// one input, so that devices nobody listens to are neither opened nor
// reported; the enable flags stay as set. Declared after whatever receives
// input, it unsets the sink and closes the devices (which waits for a
// callback in progress) before that receiver goes.
class OpenDevices {
  public:
    OpenDevices(MidiDeviceTable& table, std::uint32_t out, std::optional<std::uint32_t> in,
                MidiErrorReporter& errors);
    ~OpenDevices();
    OpenDevices(const OpenDevices&) = delete;
    OpenDevices& operator=(const OpenDevices&) = delete;

    // Whether the output (or the input asked for) opened.
    bool IsOpen(MidiDeviceKind kind) const;
    void SetInputSink(MidiInputSink* sink) { table_.SetInputSink(sink); }

  private:
    MidiDeviceTable& table_;
    std::uint32_t out_;
    std::optional<std::uint32_t> in_;
};

}  // namespace kvs
