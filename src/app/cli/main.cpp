#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = kvs::RunCli(args, std::cout, std::cerr);
    // A dump into a full disk must not look like a success.
    std::cout.flush();
    if (!std::cout && status == kvs::kExitOk) {
        std::cerr << "kvs-cli: cannot write the output\n";
        status = kvs::kExitFileError;
    }
    return status;
}
