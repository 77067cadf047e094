#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace kvs {

// What the readers take from the settings and the device table.
struct LoadOptions {
    // Initial-settings scan ("ScanInit"): 0 time 0, 1 before notes,
    // 2 first available, 3 none (silent load, no port question).
    int scanInit = 0;
    std::uint16_t defaultPort = 0;  // "defport"
    bool autoclean = false;         // "autoclean"
    // Beats all new tracks of one load may hold together, so that a few
    // kilobytes of hostile deltas cannot make the program allocate gigabytes.
    std::uint64_t maxLoadBeats = std::uint64_t{1} << 24;
    // Resolves a "KVSport=" device name to a port; no value keeps the default.
    std::function<std::optional<std::uint16_t>(std::string_view)> resolvePort;
};

}  // namespace kvs
