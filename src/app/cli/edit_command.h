#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kvs {

// Whether the command line (without the program name) asks for the edit
// command. Its steps stand where other commands take files, so it is parsed
// apart; false when --help is asked for.
bool IsEditCommand(const std::vector<std::string>& args);

// kvs-cli edit IN OUT STEP...: loads IN, applies the steps in order and saves
// OUT in the full form. A step the program would refuse ends it with status
// 1 and nothing saved; a file that cannot be loaded or saved gives 2.
int RunEdit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kvs
