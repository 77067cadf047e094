#pragma once

#include <cstdint>

namespace kvs {

// The random numbers Humanise and Progression share: 0..32767, the same
// sequence in every run until something seeds it.
std::uint32_t ToolRandom();
void SeedToolRandom(std::uint32_t seed);

}  // namespace kvs
