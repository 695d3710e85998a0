#pragma once
// Flush-to-zero for the span of one rendered block: recursive states (the DC
// blocker, filters, reverb tails) that fade out would otherwise crawl through
// the denormal range, where every operation costs many times its price.  The
// processor's previous mode comes back when the scope ends, so the host's
// thread is left as it was found.

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

class FlushToZeroScope {
public:
    static constexpr unsigned kFlushToZero = 0x8000;

    FlushToZeroScope() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero); }
    ~FlushToZeroScope() { _mm_setcsr(saved); }
    FlushToZeroScope(const FlushToZeroScope&) = delete;
    FlushToZeroScope& operator=(const FlushToZeroScope&) = delete;

private:
    unsigned saved;
};
#else
class FlushToZeroScope {};
#endif
