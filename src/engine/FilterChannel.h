#pragma once
// One channel of the layer filter: a state-variable filter whose two
// coefficients come from the fixed frequency and damping tables, in five
// types (low pass, band pass, high pass, a band reject made of a high pass an
// octave up and a low pass an octave down, and a comb with soft-clipped
// feedback).  The cutoff is worked out once per tick from the envelope's
// position in the cutoff/peak range plus the channel's own "Age" drift; the
// filtering runs per sample over a span of the tick.
//
// The comb's delay line belongs to whoever owns the engine (CombFilter).
// prepare and setLine are for the host thread; everything else for the
// audio thread.  The layer filter's eight lanes per channel run the same
// arithmetic eight at a time (VoiceKernels).

#include <cstdint>
#include <span>

#include "engine/AgeDrift.h"
#include "engine/CombFilter.h"

class BWSystemInfo;

enum class FilterType : int32_t { LowPass = 0, BandPass = 1, HighPass = 2, BandReject = 3, Comb = 4 };

struct FilterSettings {
    FilterType type = FilterType::LowPass;
    float cut = 0.0f;       // "Filter Cutoff", 0..1
    float peak = 0.0f;      // "Filter Peak": where the envelope takes the cutoff
    float row = 0.0f;       // resonance row of the tables, 0..9.9
    float feedback = 0.0f;  // the comb's, 0..-1
    bool invert = false;    // the right channel sweeps against the left
    AgeSetting age{100.0f, 0.0f};

    // "Filter Reso" v: r = trunc(10000 v) × 0.0001, row 9.9 r^0.9, feedback −r^0.6.
    void setResonance(float v);
};

// The two coefficients for a frequency and resonance row, read bilinearly
// from the tables (columns stand for multiples of rate / 20).
struct SvfCoefficients {
    float f = 0.0f;
    float q = 2.0f;
};
SvfCoefficients filterCoefficients(float frequency, float row, float sampleRate);

// Cutoff frequency for a position in the range (0..1 plus drift): 20 kHz ×
// position², at least 45 Hz.
float filterFrequency(float position);

class FilterChannel {
public:
    // Clears the state and sets the comb's output low pass for the rate.
    // Host thread.
    void prepare(float sampleRate);
    // The comb's line (986 samples at 44.1 kHz; an empty line gives a
    // silent comb).  Host thread, or the rate preparation after a tempo
    // change with the same storage.
    void setLine(std::span<float> storage);
    void clear();

    // Once per tick: the envelope's share e (already inverted for a right
    // channel that sweeps against the left).
    void tick(float envelope, const FilterSettings& settings, BWSystemInfo& system);
    // Filters n samples (n <= one tick) of `in` into `out`.
    void process(const float* in, float* out, int32_t n, FilterType type);

    float getFrequency() const { return frequency; }
    float getCombDelay() const { return combFilter.getDelay(); }

private:
    void setCoefficients(float frequency, float row, FilterType type, BWSystemInfo& system);

    // State-variable cores: the first, and the second that the band reject's
    // low-pass half uses.
    float hp = 0.0f, bp = 0.0f, lp = 0.0f;
    float hp2 = 0.0f, bp2 = 0.0f, lp2 = 0.0f;
    SvfCoefficients main, upper, lower;

    AgeDrift drift;
    float position = -1.0f;  // the last position the coefficients were worked out for
    float lastRow = -1.0f;
    FilterType lastType = FilterType::LowPass;
    float frequency = 45.0f;
    CombFilter combFilter;
};
