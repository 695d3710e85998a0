#pragma once
// What a stored parameter value (0..1) becomes in its own unit: one function
// per curve, called by the engine when it takes the value and by the
// editor's value displays when they show it, so that what a knob shows is
// what the sound does.  Pure arithmetic in 32-bit float, in the order the
// engine has always evaluated it; any thread.

#include <algorithm>
#include <cstdint>

namespace curve {

// The integer part, as a float.
constexpr float truncated(float x) { return static_cast<float>(static_cast<int32_t>(x)); }

// Envelope times in ms: cubic, up to kLayerEnvelopeMs (the layers) or
// kFilterEnvelopeMs (the filter).
inline constexpr float kLayerEnvelopeMs = 2000.0f;
inline constexpr float kFilterEnvelopeMs = 4000.0f;
constexpr float cubedTime(float v, float scale) { return v * v * scale * v; }

// Amounts taken in whole percent (0..100): "Age" and "Swingfactor".
constexpr float wholePercent(float v) { return truncated(100.0f * v); }

// A layer's octave step: five choices, 0..4 (shown as -2..+2).
constexpr int32_t octaveStep(float v) { return std::min(static_cast<int32_t>(5.0f * v), 4); }

// The master stage and the kick.
constexpr float masterAttackMs(float v) { return 2000.0f * v; }
constexpr float masterReleaseMs(float v) { return 4000.0f * v; }
constexpr float kickTone(float v) { return 8.0f * v + 12.0f; }
// Semitones in hundredths, -1..+1.
constexpr float masterTune(float v) { return truncated(200.0f * v - 100.0f) * 0.01f; }

// The filter, in ten-thousandths.
constexpr float resonance(float v) { return truncated(10000.0f * v) * 0.0001f; }
constexpr float filterMix(float v) { return truncated(9700.0f * v) * 0.0001f; }

// The glide's share of a step, in thousandths (0.01..0.99).
constexpr float glideFraction(float v) { return truncated(989.99994f * v + 9.999999f) * 0.001f; }
// The pattern key: one of 24 keys.
constexpr float patternKey(float v) { return truncated(std::clamp(24.0f * v, 0.0f, 23.0f)); }

// The reverser's "Size" (the share of the note list it keeps, 0.30..1.00)
// and the "Dec" value it is given (0.2..1.0).
constexpr float reverserSize(float v) { return truncated(70.0f * v + 30.000002f) * 0.01f; }
constexpr float reverserDecay(float v) { return 0.8f * v + 0.2f; }

}  // namespace curve
