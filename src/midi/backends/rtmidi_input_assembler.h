#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "midi/device_layer.h"
#include "model/event.h"

namespace kvs {

// Turns the byte runs a MIDI driver hands over (whole messages, or SysEx in
// pieces) into what a MidiInputSink expects: packed short messages and SysEx
// buffers of at most kSysexBufferSize bytes, a longer message in several
// consecutive buffers. Allocates only in its constructor.
class MidiInputAssembler {
  public:
    MidiInputAssembler(std::uint32_t device, MidiInputSink& sink);

    void Feed(std::span<const std::uint8_t> bytes);

  private:
    void FlushSysex();
    void ShortMessage(std::span<const std::uint8_t> bytes);

    std::uint32_t device_;
    MidiInputSink& sink_;
    std::vector<std::uint8_t> sysex_;
    bool inSysex_ = false;
};

}  // namespace kvs
