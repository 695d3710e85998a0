#pragma once
// The voices' kernels this processor may use: the AVX2 and FMA ones where it
// has both (and no test has held it to the baseline), else the portable
// ones.  Any thread; a relaxed load or two, cheap enough once a tick.

#include "engine/VoiceLanes.h"

const voicelanes::VoiceKernels& voiceKernels();
