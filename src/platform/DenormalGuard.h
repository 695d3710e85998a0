#pragma once
// Flush-to-zero and denormals-are-zero for the scope of an audio entry point.
// A decaying feedback loop would otherwise spend its last seconds in denormal
// arithmetic, which costs a hundred times a normal operation on x86-64.
//
// Hosts run their audio threads with both bits set already; then the guard
// only reads the control word, since writing it (and writing it back) costs
// a few nanoseconds on every host buffer.  A caller that left either bit
// clear gets its own control word back when the scope ends, so the host's
// floating-point mode is what it was after the call either way.  Any
// thread; inline, allocates nothing.

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define ZORVANE_HAS_MXCSR 1
#endif

namespace platform {

class DenormalGuard {
public:
    // FTZ (bit 15) and DAZ (bit 6) of MXCSR.
    static constexpr unsigned kFlushBits = 0x8040u;

#ifdef ZORVANE_HAS_MXCSR
    DenormalGuard() : saved(_mm_getcsr()), changed((saved & kFlushBits) != kFlushBits) {
        if (changed) _mm_setcsr(saved | kFlushBits);
    }
    ~DenormalGuard() {
        if (changed) _mm_setcsr(saved);
    }
#else
    DenormalGuard() = default;
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#ifdef ZORVANE_HAS_MXCSR
    unsigned saved;
    bool changed;
#endif
};

}  // namespace platform
