#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kvs {

// Whether the command line (without the program name) asks for the apply
// command; false when --help is asked for.
bool IsApplyCommand(const std::vector<std::string>& args);

// kvs-cli apply IN OUT --tool NAME[:VALUES] [--track N|--all-tracks]
// [--beats FIRST:END]: runs one tool over a song and saves it in the full
// form. kvs-cli apply --list prints every tool with its fields. Bad values
// and tools not built give status 1 with nothing saved.
int RunApply(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kvs
