#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvs {

inline constexpr std::size_t kMaxSystemNameLength = 31;

// The name a device keeps from run to run: without the "NN:MM" client and
// port numbers the ALSA sequencer appends, without the "-01" style suffix
// JACK gives a second client of the same name, without the client part when
// the port name repeats it, at most 31 bytes (never cutting a UTF-8 sequence
// in two).
std::string StableSystemName(std::string_view raw);

// Settings keys name devices by system name, so two devices must never share
// one: a repeated name gets " #2", " #3"... (still within 31 bytes).
std::vector<std::string> MakeNamesUnique(std::vector<std::string> names);

}  // namespace kvs
