#pragma once

namespace kvs {

// KVS_DARK=1 switches to the Fusion style with a dark palette (used by the
// screenshots and for desktops without a dark theme); otherwise the
// platform's own look stays.
void ApplyStyleFromEnvironment();

}  // namespace kvs
