#include "platform/CpuFeatures.h"

#include <gtest/gtest.h>

namespace {

struct Processor {
    bool avx2 = false;
    bool fma = false;
};

Processor processor() {
    Processor has;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    has.avx2 = __builtin_cpu_supports("avx2");
    has.fma = __builtin_cpu_supports("fma");
#endif
    return has;
}

}  // namespace

// Each answer is a flag worked out once: what the processor has, every one
// of them false while a test holds the kernels to the baseline, and the
// processor's own again once it lets go, however often it turns.
TEST(CpuFeatures, BaselineRestrictionNarrowsEveryAnswerUntilLifted) {
    const Processor has = processor();
    for (const bool baseline : {false, true, true, false, true, false}) {
        platform::restrictToBaselineCpu(baseline);
        EXPECT_EQ(platform::cpuHasAvx2(), !baseline && has.avx2) << baseline;
        EXPECT_EQ(platform::cpuHasFma(), !baseline && has.fma) << baseline;
        EXPECT_EQ(platform::cpuHasAvx2AndFma(), !baseline && has.avx2 && has.fma) << baseline;
    }
}
