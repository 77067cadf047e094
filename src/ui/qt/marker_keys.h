#pragma once

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace kvs {

// The marker command of a digit key: go to mark 0-9 (378 + 2 + digit) or,
// with Shift, set it (358 + 2 + digit). Matched by the key pressed, not the
// character typed, so Shift+0 works on layouts where it types ")" or
// anything else.
std::optional<std::uint32_t> MarkerCommandForKey(const QKeyEvent& event);

}  // namespace kvs
