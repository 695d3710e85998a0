#pragma once
// Measurements of the delay and reverb tests on top of the shared effect test
// support: echoes (position and size of an impulse's repeats), onsets, the
// straightness of a ramp read through a gliding line, and the blocks an
// effect has listed for reset.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "EffectTestSupport.h"

// Noise in -amplitude..amplitude on both channels, reproducible from the seed.
StereoSignal noiseSignal(size_t frames, float amplitude, uint32_t seed);

// An echo found in signal[from, to): the sum of its samples and their centre
// of mass, which for a linearly interpolated impulse is the exact fractional
// delay.
struct Echo {
    double position = 0.0;
    double sum = 0.0;
};
Echo findEcho(const std::vector<float>& signal, size_t from, size_t to);

// The first index from `from` whose magnitude exceeds the threshold, or the
// signal's size.
size_t firstAbove(const std::vector<float>& signal, float threshold, size_t from = 0);
double peakOf(const std::vector<float>& signal);
bool allFinite(const std::vector<float>& signal);

// The largest second difference within a tick from `from` on, relative to
// `slope`.  A ramp read through a line whose time glides comes out straight
// within each tick (the glide's step only changes at tick boundaries) when
// the read interpolates correctly.  Ticks start at index 0.
double largestCurvatureWithinTicks(const std::vector<float>& signal, size_t from, double slope);

// The blocks listed in the reset list, in order: unchanged across a call
// when the call neither allocated nor freed a listed buffer.
std::vector<const void*> listedBlocks(const StateResetList& list);
