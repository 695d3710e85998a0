// The voices' kernels for the x86-64 baseline, and the choice between them
// and the AVX2 ones.
#include "engine/VoiceKernels.h"

#include "platform/CpuFeatures.h"

#include "engine/VoiceKernels.inl"

namespace voicelanes {

const VoiceKernels& portableKernels() { return kKernels; }

}  // namespace voicelanes

const voicelanes::VoiceKernels& voiceKernels() {
    if (platform::cpuHasAvx2() && platform::cpuHasFma()) return voicelanes::avx2Kernels();
    return voicelanes::portableKernels();
}
