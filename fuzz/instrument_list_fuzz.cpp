// Input: one instrument list file, read the way the program finds and loads it.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/instrument_list.h"
#include "config/profile_store.h"
#include "files/mapped_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An anonymous in-memory file keeps the disk out of the loop.
    const int fd = ::memfd_create("instrument-list", MFD_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    kvs::ProfileStore profile(path);
    profile.Load();
    const std::string marker =
        profile.GetString("Instruments", "Name", "", kvs::kInstrumentNameMax);
    kvs::MappedFile file;
    file.Open(path);
    const kvs::InstrumentList list = kvs::ReadInstrumentList(file, "<Error loading>", marker);
    for (const auto& entry : list.entries) {
        if (entry.name.empty() || entry.name.size() > kvs::kInstrumentNameMax) std::abort();
    }
    file.Close();
    ::close(fd);
    return 0;
}
