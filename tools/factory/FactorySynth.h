#pragma once
// The sounds of the factory instruments, synthesised from nothing but
// arithmetic so that every run writes the same bytes.
//
// Sustained sounds loop seamlessly: every partial of their steady part makes
// a whole number of cycles in the loop, so the last frame of the loop runs
// straight into its first.  The loop's length is chosen to hold whole
// cycles of the root key's pitch, so the sound is recorded at that pitch;
// what rounding to whole frames leaves, the sample's tune takes up.

#include <cstdint>
#include <vector>

enum class FactoryVoice { Keys, Pad, Pluck, Bass };

struct SynthesizedSample {
    std::vector<int16_t> left;
    std::vector<int16_t> right;  // empty for a mono sound
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    bool loopOn = false;
    float tune = 0.0f;           // semitones from the recorded pitch to the root key's
};

inline constexpr int32_t kFactoryRate = 44100;

// The equal-tempered frequency of a MIDI key (69 = 440 Hz).
double keyFrequency(int32_t key);

// One zone's sample of the voice, recorded at the root key.
SynthesizedSample synthesize(FactoryVoice voice, int32_t rootKey);
