// Input: a raw SysEx file. Whatever was loaded is written out again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/sysex_file.h"
#include "model/song.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvs::Song song;
    kvs::ReadSysexFile({data, size}, song, {});
    const std::vector<std::uint8_t> written = kvs::WriteSysexFile(song);
    (void)written;
    return 0;
}
