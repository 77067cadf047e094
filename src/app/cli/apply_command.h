#pragma once

#include <ostream>

#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"

namespace kvs {

// kvs-cli apply IN OUT --tool NAME[:VALUES] [--track N|--all-tracks]
// [--beats FIRST:END]: runs one tool over a song and saves it in the full
// form. kvs-cli apply --list prints every tool with its fields. Bad values
// and tools not built give status 1 with nothing saved.
int RunApply(const CliOptions& options, CliSession& session, std::ostream& out, std::ostream& err);

}  // namespace kvs
