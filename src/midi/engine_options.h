#pragma once

#include "config/settings.h"

namespace kvs {

// What the engine takes from the settings. midiInDialogs also allows note
// audition and live tempo changes from the Time and Tempo dialog.
struct EngineOptions {
    EngineSettings settings;
    bool midiInDialogs = true;
    bool confirmRecord = true;
};

// A metronome click as sent: channel 1-16, key and velocity 0-127, whatever
// the settings hold.
struct MetronomeNote {
    std::uint32_t channel = 10;
    std::uint32_t port = 0;
    std::uint32_t key = 37;
    std::uint32_t velocity = 100;
};

MetronomeNote ClampedClick(const MetronomeClick& click);

}  // namespace kvs
