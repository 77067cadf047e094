#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/load_options.h"
#include "files/song_file.h"

namespace kvs {

// Beats LEFT to RIGHT-1 (or FIRST to END for apply's --beats).
struct BeatRange {
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    bool operator==(const BeatRange&) const = default;
};

// One parsed command line: the command, its file arguments and the options.
struct CliOptions {
    bool help = false;  // --help anywhere: nothing else matters
    std::string command;
    // The files in order; for edit, IN, OUT and then the steps.
    std::vector<std::string> files;
    // Unset values come from the settings.
    std::optional<int> scanInit;
    std::optional<std::uint16_t> defaultPort;
    std::optional<bool> autoclean;
    std::vector<std::string> outPorts;  // MIDI OUT names in port order
    SaveType saveType = SaveType::Full;
    bool test = false;  // prompts --test

    // play and record
    std::optional<std::string> port;  // a port number or a device name
    std::optional<std::uint32_t> fromBeat;
    std::optional<BeatRange> loop;
    bool metronome = false;
    std::optional<std::uint32_t> countIn;
    // play
    bool clock = false;
    bool virtualMidi = false;  // --midi virtual
    std::string log;           // with --midi virtual only
    // render
    std::string soundFont;
    std::optional<int> sampleRate;
    // record
    std::string input;  // MIDI IN: number, friendly or system name
    std::optional<BeatRange> punch;
    bool thru = false;
    std::string append;
    // apply
    bool list = false;
    std::string tool;
    std::optional<std::string> toolValues;  // after "NAME:"
    std::optional<std::uint32_t> track;     // from 1
    bool allTracks = false;
    std::optional<BeatRange> beats;
};

// Parses args (without the program name). Options may stand anywhere after
// the command (the load options also before it); "--" ends them. On a usage
// error returns no value and says why in error.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

// The first word of args, before any "--", that names a command; empty when
// none does.
std::string CommandWord(const std::vector<std::string>& args);
// The usage lines of command, or of every command when it is empty or unknown.
std::string UsageText(std::string_view command);
// What --help prints: the usage and the description of command, or of the
// whole program.
std::string HelpText(std::string_view command);

// The port of the first name in outPorts equal to name, case counting.
std::optional<std::uint16_t> FindOutPort(const std::vector<std::string>& outPorts,
                                         std::string_view name);

// The reader's options for the command line alone (unset values at their
// defaults); a port name found in no
// outPorts entry keeps the default port, since nobody is there to ask.
LoadOptions MakeLoadOptions(const CliOptions& options);

}  // namespace kvs
