#pragma once

#include <ostream>

#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"

namespace kvs {

// kvs-cli edit IN OUT STEP...: loads IN, applies the steps in order and saves
// OUT in the full form. A step the program would refuse ends it with status
// 1 and nothing saved; a file that cannot be loaded or saved gives 2.
int RunEdit(const CliOptions& options, CliSession& session, std::ostream& err);

}  // namespace kvs
