#include "tools/tool_random.h"

namespace kvs {
namespace {

// Tools run on the window thread only.
std::uint32_t state = 1;

}  // namespace

std::uint32_t ToolRandom() {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFF;
}

void SeedToolRandom(std::uint32_t seed) {
    state = seed;
}

}  // namespace kvs
