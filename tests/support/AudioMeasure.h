#pragma once
// What a listener would check in a render: whether each stretch of it holds
// a pitched sound, which pitch classes sound, how loud it peaks and how far
// its channels differ.

#include <array>
#include <cstddef>
#include <set>
#include <string>
#include <vector>

// The magnitude spectrum of a stretch in dB, Hann-windowed, zero-padded to a
// power of two.
struct Spectrum {
    double binHz = 0;
    std::vector<double> db;
    double fullScaleDb = 0;  // the level of a full-scale sine's peak
};
Spectrum spectrumOf(const float* samples, size_t count, double rate);

// How far the strongest component between lowHz and highHz stands above the
// median level of that band (in dB), where it lies and how loud it is (the
// amplitude of the sine it would be, in dBFS).  A pitched note stands 20 dB
// or more above the band; noise, clicks and silence do not.
struct TonalPeak {
    double hz = 0;
    double aboveMedianDb = 0;
    double dbfs = -400;
};
TonalPeak strongestTonalPeak(const Spectrum& spectrum, double lowHz, double highHz);

// The pitch classes (0 = C .. 11 = B) of the local maxima within 12 dB of
// the band's strongest that stand at least minAboveMedianDb above its median.
std::set<int> pitchClassesOf(const Spectrum& spectrum, double lowHz, double highHz, double minAboveMedianDb = 20);

// The pitch class (0 = C .. 11 = B) of a frequency.
int pitchClassOf(double hz);

// The power of the spectrum between lowHz and highHz gathered by pitch
// class, and the classes of the `count` strongest.
std::array<double, 12> pitchClassPower(const Spectrum& spectrum, double lowHz, double highHz);
std::set<int> strongestPitchClasses(const Spectrum& spectrum, double lowHz, double highHz, int count);

// The colour of a stretch: its levels in third-octave bands from 80 Hz to
// 8 kHz, in dB relative to their mean, whatever its loudness.
std::vector<double> bandColour(const float* samples, size_t count, double rate);

// Its rhythm: the level of each twentieth of a second, in dB.
std::vector<double> levelRhythm(const float* samples, size_t count, double rate);

// The mean absolute difference of two such lists (of the same length).
double meanDifferenceDb(const std::vector<double>& a, const std::vector<double>& b);

struct RenderMeasure {
    std::vector<TonalPeak> windows;  // the strongest tonal peak of each window, 300 Hz..4 kHz
    std::set<int> pitchClasses;      // over all windows
    double peak = 0;                 // largest magnitude over every channel
    double correlation = 1;          // of the two channels (1 for one channel)
    bool identicalChannels = true;
};
// Cuts the (mono-summed) render into windows of windowSeconds.
RenderMeasure measureRender(const std::vector<std::vector<float>>& channels, double rate, double windowSeconds = 0.5);

// A float or PCM WAV file's channels through libsndfile; false when unreadable.
bool readAudioFile(const std::string& path, std::vector<std::vector<float>>& channels, double& rate);

// The samples that stand alone as a click: the second difference there is
// more than ten times the mean second difference of the 128 samples around
// it (and above `floor`, so that rounding in near silence does not count).
// A smooth wave at any rate has none; one sample off its curve is one.
std::vector<size_t> oneSampleSpikes(const std::vector<float>& samples, float floor = 1e-4f);

// The level in dB (RMS, re full scale) of consecutive windows of
// windowSeconds from `from` on: the shape of an onset, comparable between
// sample rates.
std::vector<double> levelShape(const std::vector<float>& samples, size_t from, double rate, double windowSeconds, int windows);

// The level in dB (re full scale) of what lies between lowHz and highHz in
// `count` samples from `from`: the mean power of Hann-windowed single
// frequencies a hertz apart, each as the amplitude of the sine it would be.
// Comparable between sample rates and lengths.
double bandLevelDb(const std::vector<float>& samples, size_t from, size_t count, double rate, double lowHz, double highHz);

// The first sample from `from` on whose magnitude exceeds `threshold`, or
// samples.size().
size_t firstSoundAfter(const std::vector<float>& samples, size_t from, float threshold = 1e-5f);

// A text summary for failure messages and for listening notes.
std::string describe(const RenderMeasure& measure);
