#pragma once
// The voices' kernels this processor may use: the AVX-512 ones where it has
// AVX-512VL as well as AVX2 and FMA, the AVX2 and FMA ones where it has
// those (and no test has held it to the baseline), else the portable ones.
// The first two round alike.  Any thread; one relaxed load.

#include "engine/VoiceLanes.h"
#include "platform/CpuFeatures.h"

inline const voicelanes::VoiceKernels& voiceKernels() {
    static const voicelanes::VoiceKernels* const kByLevel[] = {&voicelanes::kPortableKernels,
                                                               &voicelanes::kAvx2Kernels, &voicelanes::kAvx512Kernels};
    return *kByLevel[platform::cpuVectorLevel()];
}
