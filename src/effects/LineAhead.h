#pragma once
// The delays' lines and the reverser's ring are long, and a tap reaches
// what was written long before (or, where it writes, what was written a
// whole line's length before): by then the rest of the render has pushed
// those lines out of the caches, and the processor does not foresee a tap
// that moves on one cache line a sub-block among so many other reads.  So
// each tap asks for the line it reaches a few sub-blocks on, and the line
// is there when the tap gets to it (the delays took a third less time in
// the dense song's render).  A request never faults, and the address asked
// for stays inside the line.  Audio thread.
//
// Three sub-blocks ahead measured better than six.  The reverb's rings
// (about 400 KB at 44.1 kHz) stay in the caches: asking for its rows a
// sub-block ahead of its writes made it slower.
//
// Always inlined: GCC counts a function whose only work is a prefetch as
// one without effects, and drops the calls to it.

#include <cstdint>

namespace lineahead {

// Three sub-blocks of sixteen frames.
constexpr uint32_t kFrames = 48;

// A tap that moves upwards from line[at] through `length` values.
[[gnu::always_inline]] inline void upFrom(const float* line, uint32_t at, uint32_t length) {
    if (at + kFrames < length) __builtin_prefetch(line + at + kFrames);
}

// A tap that moves downwards from line[at].
[[gnu::always_inline]] inline void downFrom(const float* line, uint32_t at) {
    __builtin_prefetch(line + (at > kFrames ? at - kFrames : 0));
}

}  // namespace lineahead
