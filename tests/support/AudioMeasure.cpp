#include "support/AudioMeasure.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>

namespace {

void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2 * std::numbers::pi / double(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w(1);
            for (size_t k = 0; k < length / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k], v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
            }
        }
    }
}

struct Band {
    size_t first, last;  // bins, inclusive
    double median;
};

Band bandOf(const Spectrum& s, double lowHz, double highHz) {
    Band band{size_t(std::ceil(lowHz / s.binHz)), std::min(size_t(highHz / s.binHz), s.db.size() - 1), 0};
    std::vector<double> levels(s.db.begin() + long(band.first), s.db.begin() + long(band.last) + 1);
    std::nth_element(levels.begin(), levels.begin() + long(levels.size() / 2), levels.end());
    band.median = levels[levels.size() / 2];
    return band;
}

// A component is a local maximum that rises 10 dB above the lowest level
// within 25 Hz on either side: the skirt of a louder sound below the band
// (the kick's) falls steadily and so never counts.
bool isComponent(const Spectrum& s, size_t k, const Band& band) {
    const auto& db = s.db;
    if (k < 2 || k + 2 >= db.size()) return false;
    if (!(db[k] >= db[k - 1] && db[k] >= db[k + 1] && db[k] >= db[k - 2] && db[k] >= db[k + 2])) return false;
    const size_t reach = std::max<size_t>(size_t(25.0 / s.binHz), 3);
    double below = db[k], above = db[k];
    for (size_t i = k > reach ? k - reach : 0; i < k; ++i) below = std::min(below, db[i]);
    for (size_t i = k + 1; i <= std::min(k + reach, db.size() - 1); ++i) above = std::min(above, db[i]);
    return k >= band.first && k <= band.last && db[k] - below >= 10 && db[k] - above >= 10;
}

}  // namespace

int pitchClassOf(double hz) {
    const long key = std::lround(69 + 12 * std::log2(hz / 440.0));
    return int(((key % 12) + 12) % 12);
}

std::array<double, 12> pitchClassPower(const Spectrum& spectrum, double lowHz, double highHz) {
    std::array<double, 12> power{};
    for (size_t k = size_t(std::ceil(lowHz / spectrum.binHz)); k < spectrum.db.size() && double(k) * spectrum.binHz <= highHz; ++k)
        power[size_t(pitchClassOf(double(k) * spectrum.binHz))] += std::pow(10.0, spectrum.db[k] / 10);
    return power;
}

std::set<int> strongestPitchClasses(const Spectrum& spectrum, double lowHz, double highHz, int count) {
    const std::array<double, 12> power = pitchClassPower(spectrum, lowHz, highHz);
    std::array<int, 12> order{};
    for (int c = 0; c < 12; ++c) order[size_t(c)] = c;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return power[size_t(a)] > power[size_t(b)]; });
    return std::set<int>(order.begin(), order.begin() + std::clamp(count, 0, 12));
}

Spectrum spectrumOf(const float* samples, size_t count, double rate) {
    size_t n = 1;
    while (n < count) n <<= 1;
    std::vector<std::complex<double>> a(n);
    for (size_t i = 0; i < count; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(count));
        a[i] = double(samples[i]) * window;
    }
    fft(a);
    Spectrum s;
    s.binHz = rate / double(n);
    s.fullScaleDb = 20 * std::log10(double(count) / 4);  // the Hann window's gain on a sine
    s.db.resize(n / 2);
    for (size_t k = 0; k < n / 2; ++k) s.db[k] = 20 * std::log10(std::abs(a[k]) + 1e-12);
    return s;
}

TonalPeak strongestTonalPeak(const Spectrum& spectrum, double lowHz, double highHz) {
    const Band band = bandOf(spectrum, lowHz, highHz);
    TonalPeak best;
    for (size_t k = band.first; k <= band.last; ++k) {
        const double above = spectrum.db[k] - band.median;
        if (above > best.aboveMedianDb && isComponent(spectrum, k, band))
            best = {double(k) * spectrum.binHz, above, spectrum.db[k] - spectrum.fullScaleDb};
    }
    return best;
}

std::set<int> pitchClassesOf(const Spectrum& spectrum, double lowHz, double highHz, double minAboveMedianDb) {
    const Band band = bandOf(spectrum, lowHz, highHz);
    const double strongest = band.median + strongestTonalPeak(spectrum, lowHz, highHz).aboveMedianDb;
    std::set<int> classes;
    for (size_t k = band.first; k <= band.last; ++k) {
        const double level = spectrum.db[k];
        if (level >= strongest - 12 && level - band.median >= minAboveMedianDb && isComponent(spectrum, k, band))
            classes.insert(pitchClassOf(double(k) * spectrum.binHz));
    }
    return classes;
}

RenderMeasure measureRender(const std::vector<std::vector<float>>& channels, double rate, double windowSeconds) {
    RenderMeasure m;
    if (channels.empty()) return m;
    const size_t frames = channels[0].size();
    std::vector<float> sum(frames, 0.0f);
    for (const auto& channel : channels)
        for (size_t i = 0; i < frames; ++i) {
            sum[i] += channel[i];
            m.peak = std::max(m.peak, double(std::fabs(channel[i])));
        }
    const size_t window = size_t(windowSeconds * rate);
    for (size_t start = 0; window > 0 && start + window <= frames; start += window) {
        const Spectrum s = spectrumOf(sum.data() + start, window, rate);
        m.windows.push_back(strongestTonalPeak(s, 300, 4000));
        for (int c : pitchClassesOf(s, 300, 4000)) m.pitchClasses.insert(c);
    }
    if (channels.size() == 2) {
        const auto& l = channels[0];
        const auto& r = channels[1];
        double lr = 0, ll = 0, rr = 0;
        for (size_t i = 0; i < frames; ++i) {
            lr += double(l[i]) * r[i];
            ll += double(l[i]) * l[i];
            rr += double(r[i]) * r[i];
        }
        m.correlation = ll > 0 && rr > 0 ? lr / std::sqrt(ll * rr) : 1;
        m.identicalChannels = l == r;
    }
    return m;
}

bool readAudioFile(const std::string& path, std::vector<std::vector<float>>& channels, double& rate) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    std::vector<float> interleaved(size_t(info.frames) * size_t(info.channels));
    const sf_count_t read = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    if (read != info.frames) return false;
    channels.assign(size_t(info.channels), std::vector<float>(size_t(info.frames)));
    for (size_t i = 0; i < size_t(info.frames); ++i)
        for (size_t c = 0; c < channels.size(); ++c) channels[c][i] = interleaved[i * channels.size() + c];
    rate = info.samplerate;
    return true;
}

std::string describe(const RenderMeasure& m) {
    static const char* const names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    std::string text = "tonal peaks (Hz/dB above the band/dBFS):";
    char item[64];
    for (const TonalPeak& w : m.windows) {
        std::snprintf(item, sizeof(item), " %.0f/%.1f/%.1f", w.hz, w.aboveMedianDb, w.dbfs);
        text += item;
    }
    text += "; pitch classes:";
    for (int c : m.pitchClasses) text += std::string(" ") + names[c];
    std::snprintf(item, sizeof(item), "; peak %.2f dBFS; L/R correlation %.3f%s", 20 * std::log10(m.peak + 1e-30),
                  m.correlation, m.identicalChannels ? " (identical)" : "");
    return text + item;
}

std::vector<double> bandColour(const float* samples, size_t count, double rate) {
    const Spectrum s = spectrumOf(samples, count, rate);
    const double third = std::cbrt(2.0);
    std::vector<double> bands;
    for (double low = 80; low < 8000; low *= third) {
        double power = 1e-30;
        for (size_t bin = size_t(low / s.binHz); bin < size_t(low * third / s.binHz); ++bin)
            power += std::pow(10.0, s.db[bin] / 10);
        bands.push_back(10 * std::log10(power));
    }
    double mean = 0;
    for (double band : bands) mean += band / double(bands.size());
    for (double& band : bands) band -= mean;
    return bands;
}

std::vector<double> levelRhythm(const float* samples, size_t count, double rate) {
    const size_t frame = size_t(rate / 20);
    std::vector<double> levels;
    for (size_t at = 0; at + frame <= count; at += frame) {
        double energy = 1e-12;
        for (size_t i = at; i < at + frame; ++i) energy += double(samples[i]) * samples[i];
        levels.push_back(10 * std::log10(energy / double(frame)));
    }
    return levels;
}

double meanDifferenceDb(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = std::min(a.size(), b.size());
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += std::abs(a[i] - b[i]);
    return n ? sum / double(n) : 0.0;
}

std::vector<size_t> oneSampleSpikes(const std::vector<float>& x, float floor) {
    constexpr size_t kAround = 64;
    const size_t n = x.size();
    std::vector<size_t> spikes;
    if (n < 2 * kAround + 3) return spikes;
    std::vector<double> curve(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) curve[i] = std::fabs(double(x[i + 1]) - 2.0 * x[i] + x[i - 1]);
    std::vector<double> sum(n + 1, 0.0);  // running sums, for each window's mean
    for (size_t i = 0; i < n; ++i) sum[i + 1] = sum[i] + curve[i];
    for (size_t i = kAround + 1; i + kAround + 1 < n; ++i) {
        if (curve[i] < floor) continue;
        // The window without the spike's own three second differences.
        const double around = sum[i + kAround + 1] - sum[i - kAround] - (sum[i + 2] - sum[i - 1]);
        if (curve[i] > 10.0 * around / double(2 * kAround - 2)) spikes.push_back(i);
    }
    return spikes;
}

std::vector<double> levelShape(const std::vector<float>& x, size_t from, double rate, double windowSeconds, int windows) {
    const size_t length = std::max<size_t>(1, size_t(std::lround(windowSeconds * rate)));
    std::vector<double> shape;
    for (int w = 0; w < windows; ++w) {
        double energy = 0.0;
        for (size_t i = from + size_t(w) * length; i < from + size_t(w + 1) * length && i < x.size(); ++i) energy += double(x[i]) * x[i];
        shape.push_back(10.0 * std::log10(energy / double(length) + 1e-30));
    }
    return shape;
}

double bandLevelDb(const std::vector<float>& x, size_t from, size_t count, double rate, double lowHz, double highHz) {
    count = std::min(count, x.size() > from ? x.size() - from : 0);
    std::vector<double> windowed(count);
    double windowSum = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(count));
        windowSum += w;
        windowed[i] = w * x[from + i];
    }
    double power = 0.0;
    int frequencies = 0;
    for (double hz = lowHz; hz <= highHz; hz += 1.0, ++frequencies) {
        // One bin of the DFT, turned by a rotation a sample.
        const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi * hz / rate);
        std::complex<double> phase(1.0), sum(0.0);
        for (size_t i = 0; i < count; ++i, phase *= turn) sum += windowed[i] * phase;
        power += std::norm(2.0 * sum / (windowSum + 1e-30));
    }
    return 10.0 * std::log10(power / std::max(frequencies, 1) + 1e-30);
}

size_t firstSoundAfter(const std::vector<float>& x, size_t from, float threshold) {
    for (size_t i = from; i < x.size(); ++i)
        if (std::fabs(x[i]) > threshold) return i;
    return x.size();
}
