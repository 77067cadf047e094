#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kvs {

struct RecordArgs {
    std::string out;
    std::string in;    // MIDI IN: number, friendly or system name
    std::string port;  // MIDI OUT: as play's --port
    std::uint32_t from = 0;
    std::optional<std::uint32_t> punchLeft, punchRight;
    std::optional<std::uint32_t> loopLeft, loopRight;
    bool metronome = false;
    std::uint32_t countIn = 0;
    bool thru = false;
    std::string append;
};

// True when the first word that is not an option is "record".
bool IsRecordCommand(const std::vector<std::string>& args);
// The arguments after "record"; no value and a reason on a usage error.
std::optional<RecordArgs> ParseRecordArgs(const std::vector<std::string>& args, std::string& error);
// Records from one MIDI IN into a new track until Ctrl-C, then saves.
int RunRecord(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kvs
