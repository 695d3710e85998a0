#include "platform/CpuFeatures.h"

namespace platform {
namespace {

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

// GCC's answer for AVX-512 features is false unless the operating system
// saves their registers too.
bool supportsAvx512Vl() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") &&
                                                       __builtin_cpu_supports("avx512vl") &&
                                                       __builtin_cpu_supports("avx512bw"));
    return has;  // only ever asked beside AVX2 and FMA (levelOf)
#else
    return false;
#endif
}

bool gathersAreSlow() {
#if defined(__x86_64__) || defined(__i386__)
    return (__builtin_cpu_init(), __builtin_cpu_is("amd"));
#else
    return false;
#endif
}

int levelOf(bool restrict) {
    if (restrict || !(supports(true) && supports(false))) return 0;
    return supportsAvx512Vl() ? 2 : 1;
}

}  // namespace

namespace detail {
std::atomic<bool> avx2{supports(true)};
std::atomic<bool> fma{supports(false)};
std::atomic<int> vectorLevel{levelOf(false)};
const bool slowGathers = gathersAreSlow();
}  // namespace detail

void restrictToBaselineCpu(bool restrict) {
    detail::avx2.store(!restrict && supports(true), std::memory_order_relaxed);
    detail::fma.store(!restrict && supports(false), std::memory_order_relaxed);
    detail::vectorLevel.store(levelOf(restrict), std::memory_order_relaxed);
}

}  // namespace platform
