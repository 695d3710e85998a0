#pragma once
// What the parameters of the output stage leave for the render routine: the
// master gain and ramp times, the kick and the compressor.

#include "plugin/SteppedValue.h"

struct OutputStageState {
    float masterGain = 0.0f;
    float masterAttackMs = 0.0f;
    float masterReleaseMs = 0.0f;

    float kickGain = 0.0f;
    float kickTone = 0.0f;           // 12 .. 20
    SteppedValue kickToSidechain;    // 2 steps

    SteppedValue compressorDepthSwitch;  // 5 steps
    float compressorDepth = 0.0f;
    SteppedValue compressorSpeedSwitch;  // 5 steps
    float compressorRelease = 0.0f;      // per-sample release coefficient
    // The one-pole smoothing of the detector: P, 1 / (1 + P) and P - 1.
    float compressorSmoothing = 0.0f;
    float compressorSmoothingInverse = 0.0f;
    float compressorSmoothingMinusOne = 0.0f;
};
