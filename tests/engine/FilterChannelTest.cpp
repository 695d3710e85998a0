#include "engine/FilterChannel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "EngineTestContext.h"
#include "engine/LayerFilter.h"
#include "platform/DenormalGuard.h"

namespace {

// The channel's output for an input given per sample, with the cutoff at a
// fixed position (no envelope, no drift).
template <class Input>
std::vector<float> respond(FilterType type, float rate, float position, float reso, int samples, Input input) {
    EngineTestContext context(rate);
    FilterSettings settings;
    settings.type = type;
    settings.cut = settings.peak = position;
    settings.setResonance(reso);
    FilterChannel channel;
    TestCombLines line(rate, 1);
    channel.setLine(line[0]);
    channel.prepare(rate);
    std::vector<float> out(size_t(samples / 16 * 16));
    float block[16];
    for (size_t start = 0; start < out.size(); start += 16) {
        channel.tick(0.0f, settings, context.info);
        for (size_t k = 0; k < 16; ++k) block[k] = input(start + k);
        channel.process(block, &out[start], 16, type);
    }
    return out;
}

double energy(const std::vector<float>& x, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return sum;
}

// The coefficients are bilinear reads of the tables: the column from the
// frequency less half a column with its weight from the frequency itself,
// the row likewise from the resonance; every frequency and resonance reads
// inside the tables.
TEST(FilterChannel, CoefficientsReadTheTablesAtTheirColumnAndRowWeights) {
    const float rate = 44100.0f;
    const float floorWeight = 45.0f * 20.0f / rate;
    const struct {
        float hz, resonance, f, q;
    } cases[] = {
        {3.0f * rate / 20.0f, 0.0f, 0.67389f, 1.32611f},  // all of column 3
        {10.6f * rate / 20.0f, 0.0f, 1.0f, 1.0f},         // the last column, no weight on the next
        {3.0f * rate / 20.0f, 1.0f, 0.1f * 0.86424f + 0.9f * 0.90798f, 0.1f * 0.23231f},  // row 9.9
        {filterFrequency(0.0f), 0.0f, floorWeight * 0.28179f, 2.0f - floorWeight * 0.28179f},  // 45 Hz
    };
    for (const auto& c : cases) {
        FilterSettings settings;
        settings.setResonance(c.resonance);
        const SvfCoefficients k = filterCoefficients(c.hz, settings.row, rate);
        EXPECT_NEAR(k.f, c.f, 1e-4f) << c.hz << " r " << c.resonance;
        EXPECT_NEAR(k.q, c.q, 1e-4f) << c.hz << " r " << c.resonance;
    }
    for (float hz = 1.0f; hz < 100000.0f; hz *= 1.37f) {
        for (float r = 0.0f; r <= 1.0f; r += 0.125f) {
            FilterSettings settings;
            settings.setResonance(r);
            const SvfCoefficients k = filterCoefficients(hz, settings.row, 22050.0f);
            ASSERT_TRUE(std::isfinite(k.f) && std::isfinite(k.q)) << hz << " " << r;
            // F stays inside the core's stable region (reached here by high
            // cutoffs at a low rate).
            const float q = std::max(k.q, 0.0f);
            EXPECT_EQ(k.f, std::clamp(k.f, 0.0f, 0.999f * (std::sqrt(q * q + 4.0f) - q))) << hz << " " << r;
        }
    }
}

// The tables give every rate the same response: low pass, band pass, high
// pass and band reject around a 1 kHz cutoff, and a resonant peak of about
// 33 dB at full resonance (dB of a steady sine).
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
            const int samples = int(rate * 0.4f);
            const auto out = respond(c.type, rate, std::sqrt(0.05f), c.reso, samples, [&](size_t i) {
                return float(0.25 * std::sin(2 * std::numbers::pi * c.hz * double(i) / rate));
            });
            const double db = 10 * std::log10(energy(out, out.size() / 2, out.size()) / (0.03125 * (out.size() / 2)));
            EXPECT_TRUE(db >= c.low && db <= c.high)
                << "rate " << rate << " type " << int(c.type) << " reso " << c.reso << " at " << c.hz << " Hz: " << db;
        }
    }
}

// The comb delays by half a period of its frequency (11.1 ms at the 45 Hz
// floor) and feeds back inverted: fully at full resonance, not at all at 0.
// At the top of the range with full resonance, read beyond the tables' last
// columns, the low pass still rings down instead of growing.
TEST(FilterChannel, CombDelayAndFeedbackAndRingingAtTheTop) {
    for (float rate : {44100.0f, 96000.0f}) {
        const size_t impulseAt = size_t(rate * 0.06f) / 16 * 16, delay = size_t(500.0f / 45.0f * rate / 1000.0f);
        for (float reso : {0.0f, 1.0f}) {
            auto out = respond(FilterType::Comb, rate, 0.0f, reso, int(rate * 0.1f),
                               [&](size_t i) { return i == impulseAt ? 1.0f : 0.0f; });
            out.erase(out.begin(), out.begin() + long(impulseAt));
            auto loud = [&](size_t from) {
                while (from < out.size() && std::fabs(out[from]) < 0.05f) ++from;
                return from;
            };
            const size_t first = loud(0), second = loud(first + size_t(rate / 500));
            EXPECT_NEAR(double(first), double(delay), 2.0);
            if (reso == 0.0f) EXPECT_EQ(second, out.size());
            else EXPECT_TRUE(std::abs(long(second) - 2 * long(first)) <= 2 && out[second] * out[first] < 0.0f);
        }
        const auto ring = respond(FilterType::LowPass, rate, 1.02f, 1.0f, int(rate), [](size_t i) { return i == 0; });
        EXPECT_LT(energy(ring, ring.size() - 3200, ring.size()), energy(ring, 0, 3200) * 1e-3) << rate;
    }
}

}  // namespace

// The layer filter's eight lanes a channel, with their coefficients worked
// out when the lanes next filter something and their cores resting while
// nothing reaches them, filter bit for bit as sixteen channels ticked and
// run one after another: through silence, single lanes and all of them,
// moving envelopes, drift and every type but the comb.  (On the portable
// kernels where the processor's own have their multiply-adds fused.)
TEST(LayerFilter, LanesFilterAsSixteenChannels) {
    const platform::DenormalGuard flushToZero;  // as in the render: resting cores reach 0
    const UnfusedVoiceKernels unfused;
    EngineTestContext lanesContext, channelsContext;
    LayerFilter filter;
    FilterChannel channels[kLayerVoices][2];
    filter.prepare(44100.0f);
    for (auto& pair : channels)
        for (FilterChannel& channel : pair) channel.prepare(44100.0f);
    uint32_t seed = 3;
    VoiceValues gates{};
    for (int tick = 0; tick < 4000; ++tick) {
        FilterSettings settings;
        settings.type = FilterType(tick / 1000);
        settings.cut = 0.3f;
        settings.peak = 0.8f;
        settings.invert = tick % 700 < 350;
        settings.setResonance(0.7f);
        settings.age = AgeSetting::forFilter(tick % 500 < 250 ? 0.3f : 0.0f);
        const EnvelopeTimes times = filterEnvelopeTimes(0.2f, 0.3f, 0.5f, 0.3f);
        for (int k = 0; k < kLayerVoices; ++k) gates[k] = (tick / 37 + k) % 5 == 0 ? 1.0f : 0.0f;
        filter.tickEnvelopes(gates, times, lanesContext.ticksPerMs());
        filter.tickCoefficients(settings, true, lanesContext.info);
        for (int k = 0; k < kLayerVoices; ++k) {
            const float e = filter.laneEnvelope(k);
            channels[k][0].tick(e, settings, channelsContext.info);
            channels[k][1].tick(settings.invert ? 1.0f - e : e, settings, channelsContext.info);
        }
        // Silence for most of every 400 ticks (the cores ring out and rest),
        // else noise into one lane or all.
        const int phase = tick % 400 - 300;
        alignas(32) voicelanes::LaneRows in[2] = {};
        for (int c = 0; c < 2; ++c)
            for (int s = 0; s < 16; ++s)
                for (int k = 0; k < kLayerVoices; ++k) {
                    seed = seed * 1664525u + 1013904223u;
                    const bool fed = phase >= 0 && (phase < 50 ? k == 3 : true);
                    in[c][s][k] = fed ? float(int32_t(seed)) * 2e-10f : 0.0f;
                }
        float sums[2][16], inputs[2][16];
        filter.processLanes(in, sums, inputs, 16, settings.type, phase < 0);
        for (int c = 0; c < 2; ++c) {
            float out[kLayerVoices][16];
            for (int k = 0; k < kLayerVoices; ++k) {
                float lane[16];
                for (int s = 0; s < 16; ++s) lane[s] = in[c][s][k];
                channels[k][c].process(lane, out[k], 16, settings.type);
            }
            for (int s = 0; s < 16; ++s) {
                float expected = 0.0f;
                if (settings.type == FilterType::BandReject) {
                    for (int k = 0; k < kLayerVoices; ++k) expected += out[k][s];
                } else {
                    expected = ((out[0][s] + out[4][s]) + (out[1][s] + out[5][s])) +
                               ((out[2][s] + out[6][s]) + (out[3][s] + out[7][s]));
                }
                ASSERT_EQ(sums[c][s], expected) << "tick " << tick << " channel " << c << " sample " << s;
            }
        }
    }
}

// The combs take the resonance set while the lanes were another type, and
// keep counting their delay glides under it: lanes that left the comb for the
// low pass while a glide was under way, and whose resonance moved there,
// ring on their return bit for bit as lanes that stayed on the comb and
// stood at the last resonance.
TEST(LayerFilter, CombsTakeTheResonanceSetUnderAnotherType) {
    EngineTestContext movedContext, steadyContext;
    LayerFilter moved, steady;
    TestCombLines movedLines(44100.0f), steadyLines(44100.0f);
    movedLines.bind(moved);
    steadyLines.bind(steady);
    moved.prepare(44100.0f);
    steady.prepare(44100.0f);
    uint32_t seed = 5;
    for (int tick = 0; tick < 300; ++tick) {
        const bool comb = tick < 100 || tick >= 200;
        FilterSettings movedSettings, steadySettings;
        for (FilterSettings* s : {&movedSettings, &steadySettings}) s->cut = s->peak = tick < 90 ? 0.2f : 0.6f;
        movedSettings.type = comb ? FilterType::Comb : FilterType::LowPass;
        steadySettings.type = FilterType::Comb;
        movedSettings.setResonance(tick < 100 ? 0.5f : tick < 150 ? 0.2f : 0.9f);
        steadySettings.setResonance(tick < 100 ? 0.5f : 0.9f);
        moved.tickCoefficients(movedSettings, true, movedContext.info);
        steady.tickCoefficients(steadySettings, true, steadyContext.info);
        if (!comb) continue;
        alignas(32) voicelanes::LaneRows in[2] = {};
        for (auto& side : in)
            for (auto& row : side)
                for (float& x : row) x = float(int32_t(seed = seed * 1664525u + 1013904223u)) * 2e-10f;
        float movedSums[2][16], steadySums[2][16], inputs[2][16];
        moved.processLanes(in, movedSums, inputs, 16, FilterType::Comb, false);
        steady.processLanes(in, steadySums, inputs, 16, FilterType::Comb, false);
        for (int c = 0; c < 2; ++c)
            for (int s = 0; s < 16; ++s) ASSERT_EQ(movedSums[c][s], steadySums[c][s]) << "tick " << tick;
    }
    EXPECT_EQ(moved.laneCombDelay(3, 1), steady.laneCombDelay(3, 1));
}
