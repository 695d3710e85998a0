#pragma once
// What the parameters of the output stage leave for the render routine: the
// master gain and ramp times, the kick and the compressor.

#include "engine/Compressor.h"
#include "plugin/SteppedValue.h"

struct OutputStageState {
    float masterGain = 0.0f;
    float masterAttackMs = 0.0f;
    float masterReleaseMs = 0.0f;

    float kickGain = 0.0f;
    float kickTone = 0.0f;           // 12 .. 20
    SteppedValue kickToSidechain;    // 2 steps

    SteppedValue compressorDepthSwitch;  // 5 steps
    SteppedValue compressorSpeedSwitch;  // 5 steps
    // Maximum reduction, release factor and the detector's smoothing.
    CompressorCoefficients compressor;
};
