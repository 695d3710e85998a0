#pragma once
// Which wider instruction sets the audio kernels may use: what the processor
// has, unless a test has narrowed the choice to the x86-64 baseline so that the
// baseline paths run (and are checked) on any machine.  Any thread; each answer
// is one relaxed load of a flag worked out once, cheap enough for every block.

#include <atomic>

namespace platform {

inline bool cpuHasAvx2();
inline bool cpuHasFma();
// Both at once, in one load: what the eight-lane kernels ask.
inline bool cpuHasAvx2AndFma();
// Those and AVX-512F with VL and BW (the operating system saving their
// registers), in one load: what the voices' kernels ask for their wider
// register file and 16-bit permutes.  (Every processor with VL has BW.)
inline bool cpuHasAvx512Vl();
// The widest of those three steps, in one load: 0 the baseline, 1 AVX2 with
// FMA, 2 AVX-512VL as well.  What a caller with a kernel set for each step
// asks on every tick.
inline int cpuVectorLevel();
// Whether a gather costs more than the plain loads it stands for, so that a
// kernel whose reads allow it does better with those: AMD's cores.  Measured
// on a Zen 4 EPYC (the reverb's reads 12.3 -> 9.4 ns a frame as row loads);
// on the Intel Xeon of the earlier measurements the gathers were faster.
// The values read are the same either way.
inline bool cpuHasSlowGathers();
// Tests only: true makes every answer false until it is set back.
void restrictToBaselineCpu(bool restrict);

namespace detail {
// What the processor has, less what a test holds back to the baseline.
extern std::atomic<bool> avx2;
extern std::atomic<bool> fma;
// 0 the baseline, 1 AVX2 with FMA, 2 AVX-512VL as well.
extern std::atomic<int> vectorLevel;
extern const bool slowGathers;
}  // namespace detail

inline bool cpuHasAvx2() { return detail::avx2.load(std::memory_order_relaxed); }
inline bool cpuHasFma() { return detail::fma.load(std::memory_order_relaxed); }
inline int cpuVectorLevel() { return detail::vectorLevel.load(std::memory_order_relaxed); }
inline bool cpuHasAvx2AndFma() { return cpuVectorLevel() >= 1; }
inline bool cpuHasAvx512Vl() { return cpuVectorLevel() == 2; }
inline bool cpuHasSlowGathers() { return detail::slowGathers; }

}  // namespace platform
