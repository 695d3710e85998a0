#include "engine/FilterChannel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "EngineTestContext.h"

namespace {

// The filter's steady gain in dB for a sine of `hz`, with its cutoff set to
// `cutoffHz` (no envelope, no drift) and the resonance parameter `reso`.
double gainDb(FilterType type, float rate, float cutoffHz, float reso, double hz) {
    EngineTestContext context(rate);
    FilterSettings settings;
    settings.type = type;
    settings.cut = settings.peak = std::sqrt(cutoffHz / 20000.0f);
    settings.setResonance(reso);
    FilterChannel channel;
    channel.prepare(rate);
    const int settle = int(rate * 0.2), measure = int(rate * 0.2);
    double in2 = 0, out2 = 0;
    float in[16], out[16];
    for (int start = 0; start < settle + measure; start += 16) {
        channel.tick(0.0f, settings, context.info);
        for (int k = 0; k < 16; ++k) in[k] = float(0.25 * std::sin(2 * std::numbers::pi * hz * (start + k) / rate));
        channel.process(in, out, 16, type);
        if (start < settle) continue;
        for (int k = 0; k < 16; ++k) in2 += double(in[k]) * in[k], out2 += double(out[k]) * out[k];
    }
    return 10 * std::log10(out2 / in2);
}

// The tables give every rate the same response: a low pass, band pass, high
// pass and band reject around a 1 kHz cutoff, and a resonant peak of about
// 33 dB at full resonance.
TEST(FilterChannel, MagnitudeAtChosenFrequenciesIsTheSameAtEveryRate) {
    const struct {
        FilterType type;
        float reso;
        double hz, low, high;
    } cases[] = {
        {FilterType::LowPass, 0, 100, -0.5, 0.5},      {FilterType::LowPass, 0, 1000, -8, -5},
        {FilterType::LowPass, 0, 10000, -45, -35},     {FilterType::LowPass, 1, 1000, 30, 36},
        {FilterType::LowPass, 0.5f, 2000, -13, -10},   {FilterType::BandPass, 0, 100, -21, -17},
        {FilterType::BandPass, 0, 1000, -7, -4},       {FilterType::BandPass, 0, 10000, -22, -17},
        {FilterType::BandPass, 1, 1000, 30, 36},       {FilterType::HighPass, 0, 100, -41, -36},
        {FilterType::HighPass, 0, 1000, -6, -3},       {FilterType::HighPass, 0, 10000, -1, 2},
        {FilterType::BandReject, 0, 100, -1, 0.5},     {FilterType::BandReject, 0, 1000, -13, -10},
        {FilterType::BandReject, 0, 10000, -0.5, 2.5}, {FilterType::BandReject, 1, 500, 30, 36},
    };
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        for (const auto& c : cases) {
            const double db = gainDb(c.type, rate, 1000.0f, c.reso, c.hz);
            EXPECT_TRUE(db >= c.low && db <= c.high)
                << "rate " << rate << " type " << int(c.type) << " reso " << c.reso << " at " << c.hz << " Hz: " << db;
        }
    }
}

// The comb delays by half a period of its frequency (11.1 ms at the 45 Hz
// floor) and feeds back inverted, fully at full resonance, not at all at 0.
TEST(FilterChannel, CombDelaysByHalfAPeriodAndFeedsBackInverted) {
    for (float rate : {44100.0f, 96000.0f}) {
        for (float reso : {0.0f, 1.0f}) {
            EngineTestContext context(rate);
            FilterSettings settings;
            settings.type = FilterType::Comb;
            settings.setResonance(reso);
            FilterChannel channel;
            channel.prepare(rate);
            std::vector<float> response;
            float in[16] = {}, out[16];
            for (int tick = 0; tick < int(rate * 0.1f) / 16; ++tick) {
                channel.tick(0.0f, settings, context.info);
                in[0] = tick == int(rate * 0.06f) / 16 ? 1.0f : 0.0f;
                channel.process(in, out, 16, FilterType::Comb);
                if (tick >= int(rate * 0.06f) / 16) response.insert(response.end(), out, out + 16);
            }
            EXPECT_NEAR(channel.getCombDelay(), 500.0f / 45.0f * rate / 1000.0f, 1e-2);
            size_t first = 0;
            while (first < response.size() && std::fabs(response[first]) < 0.05f) ++first;
            EXPECT_NEAR(double(first), 500.0 / 45.0 * rate / 1000.0, 2.0);
            size_t second = first + size_t(rate / 500);  // past the first echo's few samples
            while (second < response.size() && std::fabs(response[second]) < 0.05f) ++second;
            if (reso == 0.0f) {
                EXPECT_EQ(second, response.size());
            } else {
                EXPECT_NEAR(double(second), 2 * double(first), 2.0);
                EXPECT_LT(response[second] * response[first], 0.0f);
            }
        }
    }
}

}  // namespace

namespace {

// At the top of the range with full resonance (read beyond the tables' last
// columns at 44.1 kHz) the filter still rings down instead of growing.
TEST(FilterChannel, FullResonanceAtTheTopOfTheRangeRingsDown) {
    for (float rate : {44100.0f, 48000.0f}) {
        EngineTestContext context(rate);
        FilterSettings settings;
        settings.cut = settings.peak = 1.02f;  // the top plus full drift
        settings.setResonance(1.0f);
        FilterChannel channel;
        channel.prepare(rate);
        float in[16] = {1.0f}, out[16];
        double early = 0, late = 0;
        for (int tick = 0; tick < int(rate) / 16; ++tick) {
            channel.tick(0.0f, settings, context.info);
            channel.process(in, out, 16, FilterType::LowPass);
            in[0] = 0.0f;
            for (float y : out) (tick < 200 ? early : late) += double(y) * y * (tick < 200 || tick >= int(rate) / 16 - 200);
        }
        EXPECT_LT(late, early * 1e-3) << rate;
    }
}

}  // namespace
