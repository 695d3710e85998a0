// The voices' kernels for processors with AVX2 and FMA: this file alone is
// compiled for them, and includes nothing of ours but plain data.
#include "engine/VoiceLanes.h"

#include "engine/VoiceKernels.inl"

namespace voicelanes {

const VoiceKernels kAvx2Kernels = kKernels;

}  // namespace voicelanes
