#pragma once
// The voices' kernels this processor may use: the AVX2 and FMA ones where it
// has both (and no test has held it to the baseline), else the portable
// ones.  Any thread; one relaxed load.

#include "engine/VoiceLanes.h"
#include "platform/CpuFeatures.h"

inline const voicelanes::VoiceKernels& voiceKernels() {
    return platform::cpuHasAvx2AndFma() ? voicelanes::kAvx2Kernels : voicelanes::kPortableKernels;
}
