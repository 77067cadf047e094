// Input: an INI file. Every read must be safe, and a value written into any
// file must read back the same after the file is written out and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/packed_settings.h"
#include "config/profile_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kvs::ProfileStore store("unused");
    store.Parse(text);

    for (const char* section : {"OPTIONS", "keycommand", "ports", "Instruments"}) {
        for (const std::string& key : store.Keys(section)) {
            (void)store.GetString(section, key, "d", 259);
            (void)store.GetInt(section, key, 7);
        }
    }
    (void)kvs::ParseMidiAssign(store.GetString("OPTIONS", "MidiAssign", "", 255));
    (void)kvs::ParseOskKeys(store.GetString("OPTIONS", "OskKeys", "", 255));

    // A value made of the input's last bytes, minus the line breaks that a
    // stored value cannot hold.
    std::string value(text.substr(size > 40 ? size - 40 : 0));
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    const std::string key = "Probe " + std::to_string(size);
    store.WriteString("OPTIONS", key, value);
    store.WriteInt("Fuzz]Section", "n", -static_cast<std::int64_t>(size));
    const auto keys = store.Keys("ports");
    if (!keys.empty()) store.DeleteKey("ports", keys.front());

    kvs::ProfileStore again("unused");
    again.Parse(store.Text());
    if (again.GetString("OPTIONS", key, "missing", 1000) != value) std::abort();
    if (again.GetString("Fuzz]Section", "n", "", 100) !=
        std::to_string(-static_cast<std::int64_t>(size)))
        std::abort();
    if (!keys.empty() && again.HasKey("ports", keys.front())) std::abort();
    return 0;
}
