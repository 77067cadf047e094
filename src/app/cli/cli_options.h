#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/load_options.h"
#include "files/song_file.h"

namespace kvs {

// One parsed command line: the command, its file arguments and the options.
struct CliOptions {
    bool help = false;  // --help anywhere: nothing else matters
    std::string command;
    std::vector<std::string> files;
    // Unset values come from the settings.
    std::optional<int> scanInit;
    std::optional<std::uint16_t> defaultPort;
    std::optional<bool> autoclean;
    std::vector<std::string> outPorts;  // MIDI OUT names in port order
    SaveType saveType = SaveType::Full;
    bool test = false;  // prompts --test

    // play
    std::optional<std::string> port;  // a port number or a device name
    std::optional<std::uint32_t> fromBeat;
    std::optional<std::uint32_t> loopLeft;  // with loopRight, Left < Right
    std::optional<std::uint32_t> loopRight;
    bool metronome = false;
    bool clock = false;
    std::optional<std::uint32_t> countIn;
    bool virtualMidi = false;  // --midi virtual
    std::string log;           // with --midi virtual only
    // render
    std::string soundFont;
    std::optional<int> sampleRate;
};

// Parses args (without the program name). Options may stand anywhere; "--"
// ends them. On a usage error returns no value and says why in error.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

// The port of the first name in outPorts equal to name, case counting.
std::optional<std::uint16_t> FindOutPort(const std::vector<std::string>& outPorts,
                                         std::string_view name);

// The reader's options for the command line alone (unset values at their
// defaults); a port name found in no
// outPorts entry keeps the default port, since nobody is there to ask.
LoadOptions MakeLoadOptions(const CliOptions& options);

}  // namespace kvs
