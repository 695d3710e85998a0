#pragma once
// The wall-clock time.

#include <cstdint>

namespace platform {

// Milliseconds since 1 January 1970, 00:00 UTC.  Any thread.
uint64_t systemTimeMs();

}  // namespace platform
