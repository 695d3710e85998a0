#pragma once
// The wall-clock time.

#include <cstdint>

namespace platform {

// Milliseconds since 1 January 1970, 00:00 UTC.  Any thread.
uint64_t systemTimeMs();

// The calendar time in whole seconds since 1 January 1970, 00:00 UTC, as
// the random seeds take it.  A whole number in $ZORVANE_FIXED_TIME stands
// in for the clock, so that renders repeat sample for sample.  Any thread
// but the audio thread (it reads the environment).
int64_t calendarSeconds();

}  // namespace platform
