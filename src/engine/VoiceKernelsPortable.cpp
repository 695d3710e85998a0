// The voices' kernels for the x86-64 baseline.
#include "engine/VoiceLanes.h"

#include "engine/VoiceKernels.inl"

namespace voicelanes {

const VoiceKernels kPortableKernels = kKernels;

}  // namespace voicelanes
