#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kvs {

// Exit statuses of kvs-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFileError = 2;

// Runs one kvs-cli command line (args without the program name) and returns
// its exit status. Results go to out, usage and file errors to err.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kvs
