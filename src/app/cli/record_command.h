#pragma once

#include <ostream>

#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"

namespace kvs {

// Records from one MIDI IN into a new track until Ctrl-C, then saves.
int RunRecord(const CliOptions& options, CliSession& session, std::ostream& out, std::ostream& err);

}  // namespace kvs
