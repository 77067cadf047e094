#pragma once

#include <ostream>

#include "app/cli/cli_options.h"

namespace kvs {

// Loads files[0] and saves it as files[1] in options.saveType; returns the
// exit status. A song that loaded only in part is not saved.
int RunConvert(const CliOptions& options, std::ostream& err);

}  // namespace kvs
