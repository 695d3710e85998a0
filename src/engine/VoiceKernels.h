#pragma once
// The voices' kernels this processor may use: the AVX-512 ones where it has
// AVX-512VL as well as AVX2 and FMA, the AVX2 and FMA ones where it has
// those (and no test has held it to the baseline), else the portable ones.
// The first two round alike.  Any thread; two relaxed loads at most.

#include "engine/VoiceLanes.h"
#include "platform/CpuFeatures.h"

inline const voicelanes::VoiceKernels& voiceKernels() {
    if (platform::cpuHasAvx512Vl()) return voicelanes::kAvx512Kernels;
    return platform::cpuHasAvx2AndFma() ? voicelanes::kAvx2Kernels : voicelanes::kPortableKernels;
}
