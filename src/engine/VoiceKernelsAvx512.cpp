// The voices' kernels for processors with AVX-512VL: the AVX2 and FMA set,
// with all but the envelopes given the wider register file
// (VoiceKernels.inl says why not those).  Every value rounds as in the AVX2 set.
#include "engine/VoiceLanes.h"

#define ZORVANE_KERNELS_AVX512
#include "engine/VoiceKernels.inl"

namespace voicelanes {

const VoiceKernels kAvx512Kernels = kKernels;

}  // namespace voicelanes
