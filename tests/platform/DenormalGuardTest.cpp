#include "platform/DenormalGuard.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Through volatile, so that the compiler cannot fold the arithmetic.
float halve(float x) {
    volatile float v = x;
    return v * 0.5f;
}

float addZero(float x) {
    volatile float v = x;
    return v + 0.0f;
}

constexpr unsigned kFtz = 0x8000u;
constexpr unsigned kDaz = 0x0040u;
constexpr unsigned kTowardZero = 0x6000u;
constexpr unsigned kStatusFlags = 0x003Fu;  // sticky exception flags: the arithmetic's, not the mode
constexpr unsigned kDefaultMode = 0x1F80u;  // all exceptions masked, round to nearest

// By the bits: under DAZ a comparison would read any denormal as zero.
bool isZero(float x) { return std::bit_cast<uint32_t>(x) == 0; }

unsigned mode() { return _mm_getcsr() & ~kStatusFlags; }

}  // namespace

// Whatever mode the caller left (a test runner's default, a host that set
// one bit, a host that set both as audio threads do, a host that also
// rounds toward zero), results and inputs are flushed inside the scope and
// inside a nested one, and the caller's mode is exactly what it was after.
TEST(DenormalGuard, FlushesInsideItsScopeAndLeavesEveryCallersModeAsItFoundIt) {
    const float smallest = std::numeric_limits<float>::min();
    const float denormal = std::numeric_limits<float>::denorm_min() * 1000.0f;
    const unsigned original = _mm_getcsr();
    for (const unsigned callerBits : {0u, kFtz, kDaz, kFtz | kDaz, kFtz | kDaz | kTowardZero}) {
        const unsigned caller = kDefaultMode | callerBits;
        _mm_setcsr(caller);
        {
            const platform::DenormalGuard outer;
            EXPECT_TRUE(isZero(halve(smallest))) << std::hex << caller;    // a result flushed
            EXPECT_TRUE(isZero(addZero(denormal))) << std::hex << caller;  // an input taken as zero
            {
                const platform::DenormalGuard inner;
                EXPECT_TRUE(isZero(halve(smallest))) << std::hex << caller;
            }
            EXPECT_TRUE(isZero(addZero(denormal))) << std::hex << caller;  // the inner scope kept the outer's mode
            EXPECT_EQ(mode() & kTowardZero, callerBits & kTowardZero) << std::hex << caller;
        }
        EXPECT_EQ(mode(), caller) << std::hex << caller;
        // The caller's own arithmetic after the scope is its own again.
        EXPECT_EQ(isZero(halve(smallest)), bool(callerBits & kFtz)) << std::hex << caller;
        const bool inputsKept = !(callerBits & (kFtz | kDaz));
        if (callerBits & kDaz || inputsKept) {
            EXPECT_EQ(isZero(addZero(denormal)), !inputsKept) << std::hex << caller;
        }
    }
    _mm_setcsr(original);
}
