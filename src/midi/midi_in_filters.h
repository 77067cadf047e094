#pragma once

#include <cstdint>

namespace kvs {

// What incoming MIDI meets before it is echoed and recorded: the MIDI key
// commands and the MIDI assignments. Both run on the MIDI input thread (and
// on the window thread for the on-screen keyboard); they must not block.
// The defaults let everything pass unchanged.
class MidiInFilters {
  public:
    virtual ~MidiInFilters() = default;
    // True when the message belongs to a key command and goes no further.
    // Not asked while input is suspended.
    virtual bool KeyCommand(std::uint32_t message) {
        (void)message;
        return false;
    }
    // The message as the assignments turn it.
    virtual std::uint32_t Assign(std::uint32_t message) { return message; }
};

}  // namespace kvs
