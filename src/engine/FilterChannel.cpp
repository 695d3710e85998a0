#include "engine/FilterChannel.h"

#include <algorithm>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "engine/FilterCoefficientTables.h"

namespace {

constexpr float kFloorHz = 45.0f;
constexpr int32_t kLastCell = kFilterTableColumns * kFilterTableRows - 1;  // 120

// One table read at cell k and its three neighbours, weighted by the
// fractions; the neighbours one row down stay inside the grid.
float bilinear(const FilterCoefficientTable& table, int32_t k, float fx, float fy) {
    const float below = table[k].value * (1.0f - fx) + table[k + 1].value * fx;
    const float above =
        table[std::min(k + 11, kLastCell)].value * (1.0f - fx) + table[std::min(k + 12, kLastCell)].value * fx;
    return below * (1.0f - fy) + above * fy;
}

// The state-variable core rings on for ever once F² + 2FQ reaches 4, and
// the read beyond the tables' last columns (high cutoffs at 44.1 kHz with
// high resonance) gets there; F is kept just inside.
SvfCoefficients stable(SvfCoefficients c) {
    const float q = std::max(c.q, 0.0f);
    // sqrt(q² + 4) − q ≥ 2 / (q + 1): an F well under that bound is kept as
    // it is, without the square root (the margin dwarfs any rounding).
    if (c.f >= 0.0f && c.f * (q + 1.0f) <= 1.9f) return c;
    const float limit = 0.999f * (std::sqrt(q * q + 4.0f) - q);
    c.f = std::clamp(c.f, 0.0f, limit);
    return c;
}

}  // namespace

void FilterSettings::setResonance(float v) {
    const float r = std::clamp(std::trunc(10000.0f * v) * 0.0001f, 0.0f, 1.0f);
    row = 9.9f * std::pow(r, 0.9f);
    feedback = -std::pow(r, 0.6f);
}

float filterFrequency(float position) {
    const float hz = 20000.0f * position * position;
    return hz > kFloorHz ? std::min(hz, 1e6f) : kFloorHz;  // NaN reads as the floor
}

// Both axes take their index from the value less one half and the fraction
// from the value itself, so the read extrapolates up to half a step beyond
// the lower pair of entries.
SvfCoefficients filterCoefficients(float frequency, float row, float sampleRate) {
    const float v = frequency * 20.0f / sampleRate;
    const int32_t i = static_cast<int32_t>(std::clamp(v - 0.5f, -1.0f, 1000.0f));
    const int32_t column = std::clamp(i, 0, kFilterTableColumns - 1);
    const float fx = i < kFilterTableColumns - 1 ? v - static_cast<float>(i) : 0.0f;
    const float y = std::clamp(row, 0.0f, 9.9f);
    const int32_t r = static_cast<int32_t>(y - 0.5f);
    const float fy = y - static_cast<float>(r);
    const int32_t k = r * kFilterTableColumns + column;
    return stable({bilinear(filterCoefTableF(), k, fx, fy), bilinear(filterCoefTableQ(), k, fx, fy)});
}

void FilterChannel::setLine(std::span<float> storage) { combFilter.setLine(storage); }

void FilterChannel::prepare(float sampleRate) {
    combFilter.prepare(sampleRate);
    clear();
}

void FilterChannel::clear() {
    hp = bp = lp = hp2 = bp2 = lp2 = 0.0f;
    combFilter.clear();
    position = -1.0f;
}

// Only what the type uses: the band reject its two halves an octave either
// side, the comb its delay, the others the one pair.
void FilterChannel::setCoefficients(float hz, float row, FilterType type, BWSystemInfo& system) {
    const float rate = system.sampleRate;
    frequency = hz;
    if (type == FilterType::BandReject) {
        upper = filterCoefficients(std::min(2.0f * hz, 16000.0f), row, rate);
        lower = filterCoefficients(std::max(0.5f * hz, kFloorHz), row, rate);
        return;
    }
    if (type != FilterType::Comb) {
        main = filterCoefficients(hz, row, rate);
        return;
    }
    combFilter.follow(hz, system);
}

void FilterChannel::tick(float envelope, const FilterSettings& settings, BWSystemInfo& system) {
    drift.tick(system, settings.age);
    const float x = settings.cut + (settings.peak - settings.cut) * envelope + drift.offset(settings.age);
    combFilter.tick(settings.feedback);
    if (x == position && settings.row == lastRow && settings.type == lastType) return;
    position = x;
    lastRow = settings.row;
    lastType = settings.type;
    setCoefficients(filterFrequency(x), settings.row, settings.type, system);
}

void FilterChannel::process(const float* in, float* out, int32_t n, FilterType type) {
    switch (type) {
    case FilterType::LowPass:
    case FilterType::BandPass:
    case FilterType::HighPass: {
        const float f = main.f, q = main.q;
        float h = hp, b = bp, l = lp;
        for (int32_t k = 0; k < n; ++k) {
            b = f * h + b;
            l = f * b + l;
            h = in[k] - (q * b + l);
            out[k] = type == FilterType::LowPass ? l : type == FilterType::BandPass ? b : h;
        }
        hp = h, bp = b, lp = l;
        break;
    }
    case FilterType::BandReject:
        for (int32_t k = 0; k < n; ++k) {
            bp = upper.f * hp + bp;
            lp = upper.f * bp + lp;
            hp = in[k] - (upper.q * bp + lp);
            bp2 = lower.f * hp2 + bp2;
            lp2 = lower.f * bp2 + lp2;
            hp2 = in[k] - (lower.q * bp2 + lp2);
            out[k] = hp + lp2;
        }
        break;
    case FilterType::Comb:
        if (!combFilter.hasLine()) {
            std::fill(out, out + n, 0.0f);
            break;
        }
        for (int32_t k = 0; k < n; ++k) out[k] = combFilter.process(in[k]);
        break;
    }
}
