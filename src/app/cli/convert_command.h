#pragma once

#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"

namespace kvs {

// kvs-cli convert IN OUT: loads IN and saves it as OUT in the type asked for.
int RunConvert(const CliOptions& options, CliSession& session);

}  // namespace kvs
