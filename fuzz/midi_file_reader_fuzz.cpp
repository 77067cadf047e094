// Input: one control byte (bits 0-1 the scan mode, bit 2 autoclean), then
// the file. Whatever was loaded is written out again.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/midi_file_reader.h"
#include "files/midi_file_writer.h"
#include "model/song.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    kvs::LoadOptions options;
    options.scanInit = data[0] & 3;
    options.autoclean = (data[0] & 4) != 0;
    options.defaultPort = 1;
    // Millions of legal empty beats make each run slow without reaching new
    // code; the budget itself is tested with its default in the unit tests.
    options.maxLoadBeats = 1u << 16;
    // Names of odd length resolve to a port, so both outcomes are exercised.
    options.resolvePort = [](std::string_view name) -> std::optional<std::uint16_t> {
        if (name.size() % 2 == 1) return static_cast<std::uint16_t>(name.size() % 4);
        return std::nullopt;
    };
    kvs::Song song;
    kvs::ReadMidiFile({data + 1, size - 1}, song, options);
    static const std::vector<std::string> ports{"Port A", "Port B", "Port C"};
    const std::vector<std::uint8_t> written = kvs::WriteMidiFile1(song, true, ports);
    (void)written;
    return 0;
}
