#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "midi/backends/virtual_midi.h"

namespace kvs {

// One line of the play log: milliseconds since start with three decimals,
// the port, the bytes in hex, e.g. "12.345 0 90 3C 64".
std::string FormatLogLine(std::chrono::nanoseconds sinceStart, std::uint32_t port,
                          const RecordedMidiMessage& message);

// The whole log of what one output received, in arrival order.
std::string FormatLog(std::chrono::steady_clock::time_point start, std::uint32_t port,
                      std::span<const RecordedMidiMessage> messages);

}  // namespace kvs
