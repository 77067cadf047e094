// Input: the bytes of a language file. It is loaded into a fresh table, which
// must keep every text within the length limit.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/language_file.h"

namespace {

const std::string& TempPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/kvs-lng-fuzz-" +
               std::to_string(getpid()) + ".lng";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = TempPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!written) return 0;

    kvs::PromptTable table;
    kvs::LoadPrompts(table, path);
    for (std::size_t i = 0; i < kvs::kPromptCount; ++i) {
        if (table.Text(i).size() > kvs::kPromptMaxText) std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
