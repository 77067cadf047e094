#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "files/load_options.h"

namespace kvs {

// Loads files[0] and saves it as files[1] in options.saveType, naming ports
// by outPorts; returns the exit status. A song that loaded only in part is
// not saved.
int RunConvert(const CliOptions& options, const LoadOptions& load,
               const std::vector<std::string>& outPorts, std::ostream& err);

}  // namespace kvs
