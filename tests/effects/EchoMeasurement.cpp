#include "EchoMeasurement.h"

#include <algorithm>
#include <cmath>

StereoSignal noiseSignal(size_t frames, float amplitude, uint32_t seed) {
    StereoSignal signal(frames);
    NoiseSource noise(seed);
    for (size_t i = 0; i < frames; ++i) {
        signal.left[i] = noise.next() * amplitude;
        signal.right[i] = noise.next() * amplitude;
    }
    return signal;
}

Echo findEcho(const std::vector<float>& signal, size_t from, size_t to) {
    Echo echo;
    double weighted = 0.0;
    for (size_t i = from; i < std::min(to, signal.size()); ++i) {
        echo.sum += signal[i];
        weighted += static_cast<double>(i) * signal[i];
    }
    if (echo.sum != 0.0) echo.position = weighted / echo.sum;
    return echo;
}

size_t firstAbove(const std::vector<float>& signal, float threshold, size_t from) {
    for (size_t i = from; i < signal.size(); ++i) {
        if (std::fabs(signal[i]) > threshold) return i;
    }
    return signal.size();
}

double peakOf(const std::vector<float>& signal) {
    double largest = 0.0;
    for (float x : signal) largest = std::max(largest, static_cast<double>(std::fabs(x)));
    return largest;
}

bool allFinite(const std::vector<float>& signal) {
    return std::all_of(signal.begin(), signal.end(), [](float x) { return std::isfinite(x); });
}

double largestCurvatureWithinTicks(const std::vector<float>& signal, size_t from, double slope) {
    double largest = 0.0;
    for (size_t i = std::max<size_t>(from, 2); i < signal.size(); ++i) {
        if (i % kTickFrames < 2) continue;  // the difference would span a tick boundary
        const double curvature = static_cast<double>(signal[i]) - 2.0 * signal[i - 1] + signal[i - 2];
        largest = std::max(largest, std::fabs(curvature) / slope);
    }
    return largest;
}

std::vector<const void*> listedBlocks(const StateResetList& list) {
    std::vector<const void*> blocks;
    for (size_t i = 0; i < list.size(); ++i) blocks.push_back(list.at(i).data);
    return blocks;
}
