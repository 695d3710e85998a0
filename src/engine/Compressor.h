#pragma once
// The compressor of the layer bus, keyed by the layers and the kick: its
// detector takes the larger of the two layer samples (signed, as it always
// has) plus the kick, holds peaks with a linear fall over the release time,
// smooths them with a bilinear one-pole and turns the result into a gain
// reduction up to the depth's maximum.  The output is soft-clipped.  Audio
// thread; setSpeed and setDepth are arithmetic only.

#include <algorithm>
#include <cstdint>

struct CompressorCoefficients {
    float maxReduction = 0.0f;
    float releaseFactor = 0.0f;  // K: the peak falls by e × K a sample
    float g = 0.0f;
    float invOnePlusG = 1.0f;
    float gMinusOne = -1.0f;
    // (1 − g) / (1 + g): the smoothing as s = invOnePlusG × peak + pole × s,
    // the form the detector takes where its reduction reaches no output.
    float pole = 1.0f;
    float smoothingHz = 0.0f;

    // Depth index 0..4: 0, 0.2, 0.3, 0.6, 0.8.
    void setDepth(int32_t index);
    // Speed index 0..4 (4 fastest): release 800 .. 100 ms and smoothing
    // 0.84 .. 9.6 Hz.
    void setSpeed(int32_t index, float sampleRate);
};

// The compressor's frequency curve: 0.2 .. 0.9 in tenths, then doubling from
// 1 to 256, read by linear interpolation.
float compressorCurve(float position);

class Compressor {
public:
    // Compresses n sample pairs in place, keyed by the kick samples, and
    // soft-clips them.
    void process(float* left, float* right, const float* kick, int32_t n, const CompressorCoefficients& c);
    float getReduction() const { return reduction; }
    void clear() { peak = fall = smoothed = reduction = 0.0f; }

private:
    // The detector's recursion, one sample at a time.
    struct Detector {
        float peak, fall, smoothed, reduction, y;
        float releaseFactor, g, invOnePlusG, gMinusOne, maxReduction;

        // The peak held with its linear fall.
        void holdPeak(float x) {
            peak = std::max(peak - fall, 0.0f);
            if (peak < x) {
                peak = x;
                fall = x * releaseFactor;
            }
        }
        // The held peak, then the bilinear one-pole.
        void smoothedAfter(float x) {
            holdPeak(x);
            const float u = (peak - smoothed * gMinusOne) * invOnePlusG;
            y = g * (u + smoothed);
            smoothed = u;
        }
        float reductionAfter(float x) {
            smoothedAfter(x);
            return reduction = std::clamp(y, 0.0f, maxReduction);
        }
    };

    void passUnreduced(float* left, float* right, const float* kick, int32_t n, const CompressorCoefficients& c);
    void detectOnly(const float* kick, int32_t n, const CompressorCoefficients& c);
    void detectKeyed(const float* keyed, int32_t count, const CompressorCoefficients& c);
    void settle(int32_t n, const CompressorCoefficients& c);
    Detector detector(const CompressorCoefficients& c) const;
    void keep(const Detector& d);

    float peak = 0.0f;
    float fall = 0.0f;
    float smoothed = 0.0f;
    float reduction = 0.0f;
};
