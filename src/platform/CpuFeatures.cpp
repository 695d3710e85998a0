#include "platform/CpuFeatures.h"

namespace platform {
namespace {

std::atomic<bool> baselineOnly{false};

bool supports(bool avx2) {
#if defined(__x86_64__) || defined(__i386__)
    static const bool hasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    static const bool hasFma = (__builtin_cpu_init(), __builtin_cpu_supports("fma"));
    return avx2 ? hasAvx2 : hasFma;
#else
    (void)avx2;
    return false;
#endif
}

}  // namespace

namespace detail {
std::atomic<bool> avx2AndFma{supports(true) && supports(false)};
}  // namespace detail

bool cpuHasAvx2() { return !baselineOnly.load(std::memory_order_relaxed) && supports(true); }

bool cpuHasFma() { return !baselineOnly.load(std::memory_order_relaxed) && supports(false); }

void restrictToBaselineCpu(bool restrict) {
    baselineOnly.store(restrict, std::memory_order_relaxed);
    detail::avx2AndFma.store(!restrict && supports(true) && supports(false), std::memory_order_relaxed);
}

}  // namespace platform
