#pragma once

#include <ostream>

#include "app/cli/cli_session.h"

namespace kvs {

// The data folder, then every effective setting as "key = value" under its
// "[section]", sections in the order of the file.
int RunSettings(CliSession& session, std::ostream& out);

// Checks kvs.lng for missing prompts (writing newkvs.lng when one is missing)
// and prints the outcome; fails only when newkvs.lng could not be written.
int RunPromptsTest(CliSession& session, std::ostream& out, std::ostream& err);

// Opens the devices as the program does and lists them, MIDI IN then OUT.
int RunPorts(CliSession& session, std::ostream& out, std::ostream& err);

}  // namespace kvs
