#pragma once
// Which wider instruction sets the audio kernels may use: what the processor
// has, unless a test has narrowed the choice to the x86-64 baseline so that the
// baseline paths run (and are checked) on any machine.  Any thread; a relaxed
// load each, cheap enough for once per tick.

#include <atomic>

namespace platform {

bool cpuHasAvx2();
bool cpuHasFma();
// Both at once, in one load: what the eight-lane kernels ask.
inline bool cpuHasAvx2AndFma();
// Tests only: true makes every answer false until it is set back.
void restrictToBaselineCpu(bool restrict);

namespace detail {
// The processor has both and no test holds it to the baseline.
extern std::atomic<bool> avx2AndFma;
}  // namespace detail

inline bool cpuHasAvx2AndFma() { return detail::avx2AndFma.load(std::memory_order_relaxed); }

}  // namespace platform
