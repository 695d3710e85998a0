#pragma once
// The compressor's switch tables: the depth by switch step, and per speed
// step the release coefficient and the detector's one-pole smoothing, whose
// corner comes from the compressor frequency table.  Arithmetic only: safe
// on the audio thread.

#include <cstdint>

struct CompressorSpeed {
    float attackFactor;   // a
    float releaseMs;      // t
    float release;        // 1 / (t × samples per ms + 1e-9)
    float frequency;      // the detector's corner, 0 .. sampleRate
    float smoothing;      // P
};

// {0.0, 0.2, 0.3, 0.6, 0.8}[step]; 0 outside the table.
float compressorDepth(int32_t step);
// The compressor frequency table (17 value, slope pairs) read at position y.
float compressorFrequencyAt(float y);
// Step 0 is the slowest (0.6, 800 ms), step 4 the fastest (0.3, 100 ms).
CompressorSpeed compressorSpeed(int32_t step, float samplesPerMs, float sampleRate, float piOverRate);
