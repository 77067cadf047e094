#pragma once

#include <cstdint>

#include "midi/key_commands.h"
#include "midi/midi_assignment.h"
#include "midi/midi_in_filters.h"

namespace kvs {

class Notifier;

// The filters incoming MIDI meets in the running program: the key command
// table and the assignments as the settings set them.
class LiveMidiInFilters : public MidiInFilters {
  public:
    LiveMidiInFilters(const KeyCommands& commands, MidiAssignment& assignment, Notifier& notifier)
        : commands_(commands), assignment_(assignment), notifier_(notifier) {}

    // The recorder does not ask while input is suspended.
    bool KeyCommand(std::uint32_t message) override {
        return KeyCommandFilter(message, commands_, false, notifier_);
    }
    std::uint32_t Assign(std::uint32_t message) override { return assignment_.Apply(message); }

  private:
    const KeyCommands& commands_;
    MidiAssignment& assignment_;
    Notifier& notifier_;
};

}  // namespace kvs
