// The eight-lane kernels, every set (the portable one, and the AVX2 and
// AVX-512 ones where the processor has them), against the one-at-a-time
// code they stand for: the noise generator, LinearGlide, Envelope, the
// filter channel's cutoff and coefficients and its cores, the reader's
// interpolation.  What feeds back
// must agree to the bit in every set whose multiply-adds the compiler left
// alone (all of them in make test's -O1 build; the optimised build fuses
// the AVX2 and AVX-512 sets', which are then held to each other's bits
// here and to whole renders in RenderReferenceTest); a sample's
// interpolation may round its last bit differently on the AVX2 path.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <limits>
#include <vector>

#include "EngineTestContext.h"
#include "core/BWSystemInfo.h"
#include "engine/Envelope.h"
#include "engine/FilterChannel.h"
#include "engine/FilterCoefficientTables.h"
#include "engine/LinearGlide.h"
#include "engine/VoiceLanes.h"
#include "engine/VoiceMix.h"
#include "platform/CpuFeatures.h"

namespace {

using voicelanes::kLanes;
using voicelanes::VoiceKernels;

struct Named {
    const char* name;
    const VoiceKernels* kernels;
};

std::vector<Named> kernelSets() {
    std::vector<Named> sets = {{"portable", &voicelanes::kPortableKernels}};
    if (platform::cpuHasAvx2AndFma()) sets.push_back({"avx2", &voicelanes::kAvx2Kernels});
    if (platform::cpuHasAvx512Vl()) sets.push_back({"avx512", &voicelanes::kAvx512Kernels});
    return sets;
}

// The sets that round as the one-voice code: those whose plain
// multiply-adds the compiler did not fuse.
std::vector<Named> unfusedSets() {
    std::vector<Named> sets;
    for (const Named& set : kernelSets())
        if (!set.kernels->fusesPlainMultiplyAdds()) sets.push_back(set);
    return sets;
}

// A reproducible stream of values in [lo, hi).
struct Values {
    uint32_t seed = 99;
    float next(float lo, float hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * float(seed >> 8) / float(1u << 24);
    }
};

// A layer of one of the four kinds a span meets (0 off, 1 quiet, 2 through
// the filter, 3 around it) with drawn phases, rates, holds and gains, its
// gains stepping (`moving`) or standing; answers its role.
voicelanes::LayerRole drawLayer(voicelanes::LayerMix& m, int kind, bool moving, Values& values) {
    for (auto& row : m.rows)
        for (float& x : row) x = kind >= 2 ? values.next(-1.0f, 1.0f) : 0.0f;
    for (int k = 0; k < kLanes; ++k) {
        m.phase[k] = values.next(0.0f, 2.0f);
        m.rate[k] = values.next(0.05f, 0.7f);
        m.wrapAt[k] = holdWrapPoint(m.rate[k]);
        m.held[k] = kind >= 2 ? values.next(-1.0f, 1.0f) : 0.0f;
        m.gainLeft[k] = values.next(0.0f, 1.0f);
        m.gainRight[k] = values.next(0.0f, 1.0f);
        m.stepLeft[k] = moving && k % 3 ? values.next(-0.01f, 0.01f) : 0.0f;
        m.stepRight[k] = moving && k % 2 ? values.next(-0.01f, 0.01f) : 0.0f;
    }
    // Now and then holds whose phase steps onto 0 without wrapping, renewing
    // then too: a rate of 0 at the phase 0, and a phase of minus the rate.
    if (values.next(0.0f, 1.0f) < 0.5f) {
        m.rate[3] = m.phase[3] = 0.0f;
        m.wrapAt[3] = holdWrapPoint(0.0f);
        m.phase[5] = -m.rate[5];
    }
    return {kind != 0, kind == 1, kind == 2};
}

}  // namespace

// Lane k of a tick's draws is step first + k × stride of the generator, and
// the state moves on by the count, as that many single steps would.
TEST(VoiceKernels, RandomDrawsAreTheGeneratorsStepsInOrder) {
    for (const Named& set : kernelSets()) {
        for (auto [first, stride, count] : {std::tuple{1, 1, 8}, {1, 2, 0}, {2, 2, 16}}) {
            EngineTestContext reference;
            reference.info.randomState = 0x9e3779b9u;
            uint32_t state = reference.info.randomState;
            float steps[17];
            for (int k = 1; k <= 16; ++k) steps[k] = reference.info.nextRandomValue();
            float out[kLanes];
            set.kernels->random(state, first, stride, count, out);
            for (int k = 0; k < kLanes; ++k) EXPECT_EQ(out[k], steps[first + k * stride]) << set.name << " " << k;
            uint32_t expected = 0x9e3779b9u;
            for (int k = 0; k < count; ++k) expected *= 16807u;
            EXPECT_EQ(state, expected) << set.name;
        }
    }
}

// Glides and envelopes, eight at once, through gates that rise, change and
// fall at random and times that run from 0 up: the same values to the bit as
// eight LinearGlides and Envelopes.
TEST(VoiceKernels, GlidesAndEnvelopesMatchTheirSingleForms) {
    for (const Named& set : unfusedSets()) {
        Values values;
        voicelanes::Glides glides{};
        voicelanes::Envelopes envelopes{}, laneEnvelopes{};
        LinearGlide singleGlides[kLanes];
        Envelope singleEnvelopes[kLanes], singleLanes[kLanes];
        float gates[kLanes] = {};
        for (int tick = 0; tick < 3000; ++tick) {
            const EnvelopeTimes times = layerEnvelopeTimes(tick % 700 < 100 ? 0.0f : values.next(0.0f, 0.5f),
                                                           values.next(0.0f, 0.5f), values.next(0.0f, 1.0f),
                                                           values.next(0.0f, 0.4f));
            const float ticks = tick % 5 == 0 ? 0.0f : values.next(0.0f, 40.0f);
            float targets[kLanes], peaks[kLanes], sustains[kLanes];
            for (int k = 0; k < kLanes; ++k) {
                if (values.next(0.0f, 1.0f) < 0.05f) gates[k] = values.next(0.0f, 1.0f) < 0.3f ? 0.0f : values.next(0.1f, 1.0f);
                const bool repeat = values.next(0.0f, 1.0f) < 0.5f && k > 0;  // a neighbour's target, as a held chord has
                targets[k] = repeat ? targets[k - 1] : values.next(-1.0f, 1.0f);
                peaks[k] = gates[k];
                sustains[k] = times.sustain * gates[k];
            }
            set.kernels->glide(glides, targets, ticks);
            const bool still =
                set.kernels->envelope(envelopes, gates, times.sustain, true, envelopeTicksOf(times, 2.75625f));
            set.kernels->envelope(laneEnvelopes, gates, times.sustain, false, envelopeTicksOf(times, 2.75625f));
            bool allSteady = true;  // what the kernel answers: every voice holds still
            for (int k = 0; k < kLanes; ++k) {
                singleGlides[k].retarget(targets[k], ticks);
                singleGlides[k].advance();
                singleEnvelopes[k].tick(gates[k], peaks[k], sustains[k], times, 2.75625f);
                allSteady = allSteady && singleEnvelopes[k].isSteady();
                singleLanes[k].tick(gates[k], 1.0f, times.sustain, times, 2.75625f);
                ASSERT_EQ(laneEnvelopes.level[k], singleLanes[k].getLevel()) << set.name << " tick " << tick << " lane " << k;
                ASSERT_EQ(glides.value[k], singleGlides[k].value) << set.name << " tick " << tick << " lane " << k;
                ASSERT_EQ(envelopes.level[k], singleEnvelopes[k].getLevel()) << set.name << " tick " << tick << " lane " << k;
                ASSERT_EQ(envelopes.state[k], int32_t(singleEnvelopes[k].getState())) << set.name << " tick " << tick;
            }
            ASSERT_EQ(still, allSteady) << set.name << " tick " << tick;
        }
    }
}

// Eight filter lanes against eight channels: the drift, the cutoff and the
// coefficients of every type over random positions, rows and rates, then
// the cores over a span of noise, bit for bit, with the lanes' inputs added
// up in the same pairs.
TEST(VoiceKernels, FilterLanesMatchTheChannel) {
    constexpr int kSpans[] = {16, 5, 13, 8, 1, 16, 9};
    for (const Named& set : unfusedSets()) {
        for (float rate : {22050.0f, 44100.0f, 96000.0f}) {
            EngineTestContext context(rate);
            Values values;
            voicelanes::SvfLanes lanes{};
            std::fill(std::begin(lanes.position), std::end(lanes.position), -1.0f);
            std::fill(std::begin(lanes.lastRow), std::end(lanes.lastRow), -1.0f);
            for (float* q : {lanes.q, lanes.qUpper, lanes.qLower}) std::fill(q, q + kLanes, 2.0f);
            voicelanes::SvfLanes unused = lanes;
            FilterChannel channels[kLanes];
            for (FilterChannel& channel : channels) channel.prepare(rate);
            for (int tick = 0; tick < 400; ++tick) {
                FilterSettings settings;
                settings.type = FilterType(tick / 20 % 4);
                settings.cut = values.next(0.0f, 0.6f);
                settings.peak = values.next(0.3f, 1.1f);
                settings.setResonance(tick % 40 < 20 ? values.next(0.0f, 1.0f) : 0.5f);
                settings.age = AgeSetting::forFilter(values.next(0.0f, 1.0f));
                float envelopes[kLanes], targets[kLanes];
                context.info.randomState = 1000u + uint32_t(tick);
                for (int k = 0; k < kLanes; ++k) envelopes[k] = values.next(0.0f, 1.0f);
                uint32_t state = context.info.randomState;
                set.kernels->random(state, 1, 1, kLanes, targets);
                const voicelanes::CutoffInput input = {envelopes, 0, targets, settings.age.timeMs * context.ticksPerMs(),
                                                       settings.cut, settings.peak, settings.age.depth, settings.row,
                                                       int32_t(settings.type), rate};
                const uint32_t moved = set.kernels->cutoffs(lanes, input);
                const voicelanes::SvfLanes prior = lanes;
                voicelanes::SvfLanes some = lanes;  // every second lane only: the others keep theirs
                set.kernels->coefficients(lanes, moved, settings.row, int32_t(settings.type), rate,
                                          filterCoefValuesF().data(), filterCoefValuesQ().data());
                const uint32_t half = moved & 0x55u;
                set.kernels->coefficients(some, half, settings.row, int32_t(settings.type), rate,
                                          filterCoefValuesF().data(), filterCoefValuesQ().data());
                for (int k = 0; k < kLanes; ++k) {
                    const voicelanes::SvfLanes& expected = half >> k & 1u ? lanes : prior;
                    for (auto field : {&voicelanes::SvfLanes::f, &voicelanes::SvfLanes::q, &voicelanes::SvfLanes::fUpper,
                                       &voicelanes::SvfLanes::qUpper, &voicelanes::SvfLanes::fLower,
                                       &voicelanes::SvfLanes::qLower})
                        ASSERT_EQ((some.*field)[k], (expected.*field)[k]) << set.name << " tick " << tick << " lane " << k;
                }
                for (int k = 0; k < kLanes; ++k) {
                    channels[k].tick(envelopes[k], settings, context.info);  // takes draw k + 1
                    ASSERT_EQ(lanes.frequency[k], channels[k].getFrequency()) << set.name << " " << rate << " " << k;
                }
                // Whole ticks and the spans a host block's edge leaves.
                const int n = kSpans[tick % std::size(kSpans)];
                float in[voicelanes::kFrames][kLanes], sums[16], inputs[16], unusedSums[16], unusedInputs[16];
                float single[kLanes][16];
                for (int s = 0; s < 16; ++s)
                    for (int k = 0; k < kLanes; ++k) in[s][k] = values.next(-0.5f, 0.5f);
                set.kernels->filterLanes(lanes, unused, in, in, n, int32_t(settings.type), sums, unusedSums, inputs,
                                         unusedInputs);
                for (int k = 0; k < kLanes; ++k) {
                    float lane[16];
                    for (int s = 0; s < 16; ++s) lane[s] = in[s][k];
                    channels[k].process(lane, single[k], n, settings.type);
                }
                for (int s = 0; s < n; ++s) {
                    const float input = ((in[s][0] + in[s][4]) + (in[s][1] + in[s][5])) +
                                        ((in[s][2] + in[s][6]) + (in[s][3] + in[s][7]));
                    ASSERT_EQ(inputs[s], input) << set.name << " " << rate << " frame " << s;
                    ASSERT_EQ(unusedInputs[s], input) << set.name << " " << rate << " frame " << s;
                    float expected = 0.0f;
                    if (settings.type == FilterType::BandReject) {
                        for (int k = 0; k < kLanes; ++k) expected += single[k][s];
                    } else {
                        expected = ((single[0][s] + single[4][s]) + (single[1][s] + single[5][s])) +
                                   ((single[2][s] + single[6][s]) + (single[3][s] + single[7][s]));
                    }
                    ASSERT_EQ(sums[s], expected) << set.name << " " << rate << " type " << int(settings.type);
                }
            }
        }
    }
}

// The reader's frames: position k × step + start, linear between the two
// frames around it; exact on the portable path, within a rounding of the
// last bit on the AVX2 one; the frames past n are left alone.
// The fused control ticks are their parts in order, to the bit, and leave
// the generator where the parts leave it: a layer's drift and notes, both
// filter channels' draws and cutoffs (inverted or not, whole or the drift
// alone), and the filter lanes' envelopes with their glides, over glides
// that jump, slide and stand.
TEST(VoiceKernels, FusedTicksAreTheirPartsInOrder) {
    for (const Named& set : kernelSets()) {
        const VoiceKernels& k = *set.kernels;
        Values values;
        voicelanes::Glides fusedDrift{}, partsDrift{};
        voicelanes::SvfLanes fusedLanes[2]{}, partsLanes[2]{};
        float envelope[kLanes] = {}, gates[kLanes] = {};
        voicelanes::Envelopes fusedEnvelopes{}, partsEnvelopes{};
        voicelanes::Glides fusedGlides{}, partsGlides{};
        for (int tick = 0; tick < 300; ++tick) {
            const uint32_t seed = 7u + 977u * uint32_t(tick);
            alignas(32) float notes[kLanes];
            for (int v = 0; v < kLanes; ++v) notes[v] = values.next(-20.0f, 150.0f);
            if (tick % 4 != 0)
                for (float& e : envelope) e = values.next(0.0f, 1.0f);
            const float ticks = tick % 50 < 10 ? 0.0f : values.next(1.0f, 40.0f);
            const float offset = values.next(-24.0f, 24.0f);
            const float depth = tick % 6 == 0 ? 0.0f : values.next(0.0f, 2.0f);

            uint32_t fusedState = seed, partsState = seed;
            alignas(32) float held[2][kLanes], now[2][kLanes], targets[kLanes];
            k.driftNotes(fusedState, fusedDrift, ticks, notes, offset, depth, held[0], now[0]);
            k.random(partsState, 1, 1, kLanes, targets);
            k.glide(partsDrift, targets, ticks);
            k.voiceNotes(notes, offset, partsDrift.value, depth, held[1], now[1]);
            ASSERT_EQ(fusedState, partsState) << set.name << " tick " << tick;
            ASSERT_EQ(std::memcmp(&fusedDrift, &partsDrift, sizeof fusedDrift), 0) << set.name << " tick " << tick;
            ASSERT_EQ(std::memcmp(held[0], held[1], sizeof held[0]), 0) << set.name << " tick " << tick;
            ASSERT_EQ(std::memcmp(now[0], now[1], sizeof now[0]), 0) << set.name << " tick " << tick;

            const int32_t invert = tick % 5 == 1 ? 1 : 0;
            const bool driftOnly = tick % 7 == 3;
            const voicelanes::CutoffInput input = {
                envelope, invert, nullptr, ticks, values.next(0.0f, 0.6f), values.next(0.3f, 1.1f), depth,
                tick % 40 < 20 ? values.next(0.0f, 9.9f) : 4.0f, tick / 30 % 5, 44100.0f};
            uint32_t fusedMoved[2] = {}, partsMoved[2] = {};
            fusedState = partsState = seed;
            k.laneCutoffs(fusedLanes, fusedState, input, driftOnly, fusedMoved);
            alignas(32) float draws[2][kLanes];
            uint32_t leftDraws = partsState;
            k.random(leftDraws, 1, 2, 0, draws[0]);
            k.random(partsState, 2, 2, 2 * kLanes, draws[1]);
            for (int c = 0; c < 2; ++c) {
                if (driftOnly) {
                    k.glide(partsLanes[c].drift, draws[c], ticks);
                    continue;
                }
                voicelanes::CutoffInput side = input;
                side.invert = c == 1 ? invert : 0;
                side.driftTargets = draws[c];
                partsMoved[c] = k.cutoffs(partsLanes[c], side);
            }
            ASSERT_EQ(fusedState, partsState) << set.name << " tick " << tick;
            ASSERT_EQ(std::memcmp(fusedMoved, partsMoved, sizeof fusedMoved), 0) << set.name << " tick " << tick;
            ASSERT_EQ(std::memcmp(fusedLanes, partsLanes, sizeof fusedLanes), 0) << set.name << " tick " << tick;

            for (float& gate : gates)
                if (values.next(0.0f, 1.0f) < 0.1f) gate = values.next(0.0f, 1.0f) < 0.3f ? 0.0f : values.next(0.1f, 1.0f);
            const EnvelopeTimes times = filterEnvelopeTimes(values.next(0.0f, 0.4f), values.next(0.0f, 0.4f),
                                                            values.next(0.0f, 1.0f), values.next(0.0f, 0.4f));
            const voicelanes::EnvelopeTicks envelopeTicks = envelopeTicksOf(times, 2.75625f);
            const bool fusedStill =
                k.filterEnvelopes(fusedEnvelopes, fusedGlides, gates, times.sustain, envelopeTicks, ticks);
            const bool partsStill = k.envelope(partsEnvelopes, gates, times.sustain, false, envelopeTicks);
            k.glide(partsGlides, partsEnvelopes.level, ticks);
            ASSERT_EQ(fusedStill, partsStill) << set.name << " tick " << tick;
            ASSERT_EQ(std::memcmp(&fusedEnvelopes, &partsEnvelopes, sizeof fusedEnvelopes), 0) << set.name << " " << tick;
            ASSERT_EQ(std::memcmp(&fusedGlides, &partsGlides, sizeof fusedGlides), 0) << set.name << " tick " << tick;
        }
    }
}

TEST(VoiceKernels, ReadFramesInterpolatesAtEachPosition) {
    std::vector<int16_t> data(4000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = int16_t(20000.0 * std::sin(double(i) * 0.05));
    for (const Named& set : kernelSets()) {
        for (auto [start, step, n] : {std::tuple{0.0f, 1.0f, 16}, {10.3f, 0.37f, 16}, {1234.5f, 2.91f, 13}, {7.0f, 0.001f, 5}}) {
            float out[16];
            std::fill_n(out, 16, 9.0f);
            set.kernels->readFrames(data.data(), start, step, out, n);
            for (int k = 0; k < 16; ++k) {
                if (k >= n) {
                    EXPECT_EQ(out[k], 9.0f);
                    continue;
                }
                const float position = float(k) * step + start;
                const int32_t i = int32_t(position);
                const float frac = position - float(i);
                const float a = data[size_t(i)], b = data[size_t(i) + 1];
                const float expected = ((b - a) * frac + a) * 3.0517578e-5f;
                EXPECT_NEAR(out[k], expected, std::string(set.name) == "portable" ? 0.0f : 2e-7f) << set.name << " " << k;
            }
        }
    }
}

// A clear tick's read is the checked tick's whole-tick read to the bit, at
// the data's first and last frames, for steps from a crawl to several
// frames a sample, and where the lanes' frames lie close or far apart (on
// either side of the spans a tick's reads take from one window of values).
TEST(VoiceKernels, ReadTickIsTheWholeTicksReadFrames) {
    std::vector<int16_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = int16_t(30000.0 * std::sin(double(i) * 0.7) - 1000.0 * double(i % 5));
    const float last = float(data.size() - 2);  // the last position whose next frame is still data
    for (const Named& set : kernelSets()) {
        for (auto [start, step] : {std::pair{0.0f, 1.0f}, {0.0f, 0.0f}, {3.25f, 0.001f}, {100.7f, 0.5f}, {17.9f, 1.87f},
                                   {17.9f, 1.95f}, {500.01f, 2.1f}, {1234.5f, 7.3f}, {last - 15.0f, 1.0f},
                                   {last - 30.0f * 1.999f, 1.999f}, {29.0f, 1.0f}, {30.0f, 1.0f}, {200.3f, 3.7f},
                                   {200.3f, 3.9f}, {last - 15.0f * 3.85f, 3.85f}, {15.0f, 1.0f}, {14.0f, 1.0f},
                                   {100.0f, 2.0f}, {100.0f, 2.07f}, {100.0f, 2.5f}, {last - 15.0f * 2.0f, 2.0f}}) {
            float tick[16], frames[16];
            set.kernels->readTick(data.data(), start, step, tick);
            set.kernels->readFrames(data.data(), start, step, frames, 16);
            for (int k = 0; k < 16; ++k)
                ASSERT_EQ(std::bit_cast<uint32_t>(tick[k]), std::bit_cast<uint32_t>(frames[k]))
                    << set.name << " start " << start << " step " << step << " frame " << k;
        }
    }
}

// A layer's clear ticks in one call are each voice's readTick and step as
// the reader takes them one by one, bit for bit: only the voices asked for
// whose reads at their new step stay below their bound read (a tick ending
// on the bound does not); the others keep their buffers, position and step.
TEST(VoiceKernels, ReadClearTicksAreEachVoicesTickInTurn) {
    std::vector<int16_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = int16_t(20000.0 * std::cos(double(i) * 0.31) + 37.0 * double(i % 11));
    const struct {
        float position, oldStep, step, until;
        bool asked, reads;
    } voices[kLanes] = {{0.0f, 1.0f, 1.0f, 2000.0f, true, true},          {3.25f, 0.5f, 0.001f, 2000.0f, true, true},
                        {100.7f, 1.0f, 1.87f, 2000.0f, false, false},     {1234.5f, 7.0f, 7.3f, 1351.5f, true, true},
                        {1234.5f, 7.0f, 7.5f, 1354.5f, true, false},      {500.01f, 2.0f, 2.1f, -1.0f, true, false},
                        {17.9f, 1.0f, 0.0f, 17.95f, true, true},          {2900.0f, 1.0f, 1.999f, 2990.0f, true, true}};
    for (const Named& set : kernelSets()) {
        float outs[kLanes][16];
        voicelanes::VoiceRead reads[kLanes];
        voicelanes::VoiceRead* pointers[kLanes];
        float steps[kLanes];
        uint32_t asked = 0;
        for (int v = 0; v < kLanes; ++v) {
            std::fill(std::begin(outs[v]), std::end(outs[v]), -9.0f);
            reads[v] = {data.data(), outs[v], voices[v].position, voices[v].oldStep, voices[v].until};
            pointers[v] = &reads[v];
            steps[v] = voices[v].step;
            asked |= voices[v].asked ? 1u << v : 0u;
        }
        const uint32_t read = set.kernels->readClearTicks(pointers, asked, steps);
        for (int v = 0; v < kLanes; ++v) {
            ASSERT_EQ((read >> v & 1u) != 0, voices[v].reads) << set.name << " voice " << v;
            float tick[16];
            std::fill(std::begin(tick), std::end(tick), -9.0f);
            float position = voices[v].position, step = voices[v].oldStep;
            if (voices[v].reads) {
                step = voices[v].step;
                set.kernels->readTick(data.data(), position, step, tick);
                position = position + 16.0f * step;
            }
            EXPECT_EQ(std::bit_cast<uint32_t>(reads[v].position), std::bit_cast<uint32_t>(position)) << set.name << v;
            EXPECT_EQ(std::bit_cast<uint32_t>(reads[v].step), std::bit_cast<uint32_t>(step)) << set.name << v;
            EXPECT_EQ(std::memcmp(outs[v], tick, sizeof tick), 0) << set.name << " voice " << v;
        }
    }
}

// Eight voices' frames turned into rows, for spans that start and end
// anywhere in the tick; silence (signed zeros too) is told from any sound,
// and a held value counts as sound.
TEST(VoiceKernels, TakeRowsTransposesASpanAndTellsSilence) {
    for (const Named& set : kernelSets()) {
        float buffers[kLanes][16];
        const float* voices[kLanes];
        for (int v = 0; v < kLanes; ++v) {
            voices[v] = buffers[v];
            for (int s = 0; s < 16; ++s) buffers[v][s] = float(100 * v + s);
        }
        float held[kLanes] = {};
        for (auto [from, n] : {std::pair{0, 16}, {0, 7}, {7, 9}, {3, 1}, {15, 1}}) {
            voicelanes::LaneRows rows{};
            EXPECT_TRUE(set.kernels->takeRows(voices, from, n, rows, held)) << set.name;
            for (int s = from; s < from + n; ++s)
                for (int v = 0; v < kLanes; ++v) ASSERT_EQ(rows[s][v], buffers[v][s]) << set.name << " " << s;
        }
        for (int v = 0; v < kLanes; ++v)
            for (int s = 0; s < 16; ++s) buffers[v][s] = (v + s) % 2 ? -0.0f : 0.0f;
        buffers[5][12] = 1e-30f;  // outside the span below
        voicelanes::LaneRows rows{};
        EXPECT_FALSE(set.kernels->takeRows(voices, 0, 12, rows, held)) << set.name;
        EXPECT_TRUE(set.kernels->takeRows(voices, 12, 4, rows, held)) << set.name;
        // Spans of whole blocks: silent in the first, sound in the second.
        EXPECT_FALSE(set.kernels->takeRows(voices, 0, 8, rows, held)) << set.name;
        EXPECT_TRUE(set.kernels->takeRows(voices, 8, 8, rows, held)) << set.name;
        // A whole tick: sound in its last block alone, then none, then a hold.
        EXPECT_TRUE(set.kernels->takeRows(voices, 0, 16, rows, held)) << set.name;
        buffers[5][12] = -0.0f;
        EXPECT_FALSE(set.kernels->takeRows(voices, 0, 16, rows, held)) << set.name;
        held[7] = -2.0f;
        EXPECT_TRUE(set.kernels->takeRows(voices, 0, 12, rows, held)) << set.name;
        EXPECT_TRUE(set.kernels->takeRows(voices, 0, 16, rows, held)) << set.name;
    }
}

// Eight increments at once, as a voice's setNote works them out one at a
// time: the pitch table at note + 128 − root + tune (held to the table),
// times the data's rate over the host's; 0 for a rate that is not positive.
// The clamps on notes and cutoffs answer what their comparisons answer, to
// the bit, at the values where a minimum or maximum could differ from them:
// NaNs, both zeros, infinities and the bounds themselves.
TEST(VoiceKernels, ClampsKeepTheirComparisonsAnswersAtTheEdges) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float specials[][kLanes] = {{nan, -0.0f, 0.0f, inf, -inf, 127.0f, -1e-30f, 1e-30f},
                                      {-nan, 126.99999f, 127.00001f, 3.0f, -3.0f, 0.5f, 0.0f, -0.0f}};
    const auto bitsOf = [](float x) { return std::bit_cast<uint32_t>(x); };
    for (const Named& set : kernelSets()) {
        for (const auto& notes : specials) {
            for (float drift : {0.0f, -0.0f, nan}) {
                const float drifts[kLanes] = {drift, drift, drift, drift, drift, drift, drift, drift};
                alignas(32) float held[kLanes], now[kLanes];
                set.kernels->voiceNotes(notes, 0.0f, drifts, 1.0f, held, now);
                for (int k = 0; k < kLanes; ++k) {
                    float h = notes[k] > 0.0f ? notes[k] : 0.0f;
                    h = h < 127.0f ? h : 127.0f;
                    ASSERT_EQ(bitsOf(held[k]), bitsOf(h)) << set.name << " lane " << k;
                    ASSERT_EQ(bitsOf(now[k]), bitsOf(h + drift * 1.0f)) << set.name << " lane " << k;
                }
            }
            // A cutoff of any of these: 20 kHz x cut², at least 45 Hz, at
            // most 1 MHz, and 45 Hz where it is no number.
            voicelanes::SvfLanes lanes{};
            const float envelope[kLanes] = {}, targets[kLanes] = {};
            for (int k = 0; k < kLanes; ++k) {
                const voicelanes::CutoffInput input = {envelope, 0, targets, 0.0f, notes[k] / 16.0f, 0.0f, 0.0f, 4.0f,
                                                       3, 44100.0f};
                lanes.position[0] = -1.0f;
                set.kernels->cutoffs(lanes, input);
                const float cut = notes[k] / 16.0f, x = cut + (0.0f - cut) * 0.0f, hz = 20000.0f * x * x;
                const float expected = hz > 45.0f ? (1e6f < hz ? 1e6f : hz) : 45.0f;
                ASSERT_EQ(bitsOf(lanes.frequency[0]), bitsOf(expected)) << set.name << " lane " << k;
            }
        }
    }
}

TEST(VoiceKernels, IncrementsFollowThePitchTable) {
    EngineTestContext context(48000.0f);
    const BWSystemInfo& info = context.info;
    const float notes[kLanes] = {60.0f, 60.5f, 0.0f, 127.0f, 200.0f, -300.0f, std::nanf(""), 72.25f};
    const float roots[kLanes] = {60.0f, 48.0f, 127.0f, 0.0f, 0.0f, 60.0f, 60.0f, 60.0f};
    const float tunes[kLanes] = {0.0f, 0.1f, -0.5f, 0.3f, 0.0f, 0.0f, 0.0f, 0.0f};
    const float rates[kLanes] = {44100.0f, 22050.0f, 96000.0f, 44100.0f, 44100.0f, 44100.0f, 44100.0f, -1.0f};
    const float* table = &info.pitchRatioTable[0].value;
    Values values;
    for (const Named& set : kernelSets()) {
        float out[kLanes];
        set.kernels->increments(table, notes, roots, tunes, rates, info.sampleRate, out);
        for (int k = 0; k < kLanes; ++k) {
            const float result = info.pitchRatio(notes[k] + 128.0f - roots[k] + tunes[k]) * rates[k] / info.sampleRate;
            EXPECT_EQ(out[k], result > 0.0f && result < 1e9f ? result : 0.0f) << set.name << " " << k;
        }
        // The pairs read one by one give the gathers' bits, across the
        // table and past both of its ends.
        for (int draw = 0; draw < 400; ++draw) {
            float drawn[kLanes], fromGathers[kLanes], fromPairs[kLanes];
            for (float& note : drawn) note = values.next(-160.0f, 300.0f);
            const float* these = draw == 0 ? notes : drawn;
            set.kernels->increments(table, these, roots, tunes, rates, info.sampleRate, fromGathers);
            set.kernels->incrementsOfFew(table, these, roots, tunes, rates, info.sampleRate, fromPairs);
            ASSERT_EQ(std::memcmp(fromGathers, fromPairs, sizeof fromPairs), 0) << set.name << " draw " << draw;
        }
    }
}

// A hold's phase wraps on its next step exactly from its wrap point up: the
// point, the floats around it and phases across 0..2 agree with the step
// itself, for rates from the smallest to past 2 and those that are not
// numbers.
TEST(VoiceKernels, HoldWrapPointsTellTheWrapBeforeTheStep) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    const float rates[] = {1e-6f, 0.0026f, 0.05f, 0.3333333f, 0.5f, 0.7f, 1.0f, 1.9999999f, 2.0f, 2.5f, 1e30f,
                           0.0f, -0.5f, kInfinity, -kInfinity, std::numeric_limits<float>::quiet_NaN()};
    Values values;
    for (float rate : rates) {
        const float at = holdWrapPoint(rate);
        std::vector<float> phases = {0.0f, -0.0f, 1.0f, 2.0f, at, std::nextafter(at, -kInfinity),
                                     std::nextafter(at, kInfinity), 2.0f - rate};
        for (int k = 0; k < 200; ++k) phases.push_back(values.next(0.0f, 2.0f));
        for (float p : phases) {
            if (std::isnan(p)) continue;
            EXPECT_EQ(p >= at, p + rate >= 2.0f) << "rate " << rate << " phase " << p;
        }
    }
}

// The three layers' mix over a span, in both modes and for every way the
// layers can take part (off, on and quiet, playing through the filter or
// around it), against one voice at a time: a playing voice's hold renews when
// its phase passes 2 and its gains move a step a sample; a resting layer's
// phases run only while it is on, its holds stay, its gains move only when
// one of its steps is not 0, and it gives nothing.
TEST(VoiceKernels, MixesMatchOneVoiceAtATime) {
    using voicelanes::kLayers;
    using voicelanes::LayerMix;
    using voicelanes::LayerRole;
    for (const Named& set : unfusedSets()) {
        Values values;
        for (int roles = 0; roles < 64; ++roles) {
            for (auto [from, n] : {std::pair{0, 16}, {5, 9}, {11, 5}}) {
                LayerMix mixes[kLayers]{}, expected[kLayers]{};
                LayerRole role[kLayers];
                LayerMix* pointers[kLayers];
                for (int i = 0; i < kLayers; ++i) {
                    role[i] = drawLayer(mixes[i], roles >> (2 * i) & 3, (roles + i) % 3 != 0, values);
                    expected[i] = mixes[i];
                    pointers[i] = &mixes[i];
                }
                float sums[kLayers][16] = {}, want[kLayers][16] = {};
                // The lane rows are written whole when a layer through the
                // filter plays, and left as they stand when none does.
                constexpr float kStale = 7.0f;
                voicelanes::LaneRows rows[2], wantRows[2] = {};
                bool reached = false;
                for (int i = 0; i < kLayers; ++i) reached = reached || (role[i].on && !role[i].quiet && role[i].routed);
                for (auto* r : {&rows[0], &rows[1]}) std::fill(&(*r)[0][0], &(*r)[0][0] + 16 * kLanes, kStale);
                if (!reached)
                    for (auto* r : {&wantRows[0], &wantRows[1]}) std::fill(&(*r)[0][0], &(*r)[0][0] + 16 * kLanes, kStale);
                float dry[2][16] = {}, wantDry[2][16] = {};
                for (int i = 0; i < kLayers; ++i) {
                    LayerMix& m = expected[i];
                    const bool plays = role[i].on && !role[i].quiet;
                    bool moves = false;
                    for (int k = 0; k < kLanes; ++k) moves = moves || m.stepLeft[k] != 0.0f || m.stepRight[k] != 0.0f;
                    for (int s = 0; s < n; ++s) {
                        float sum = 0.0f, sumLeft = 0.0f, sumRight = 0.0f;
                        for (int k = 0; k < kLanes; ++k) {
                            if (role[i].on) {
                                m.phase[k] += m.rate[k];
                                if (m.phase[k] >= 2.0f) m.phase[k] = 0.0f;
                            }
                            if (plays && m.phase[k] == 0.0f) m.held[k] = m.rows[from + s][k];
                            if (plays || moves) m.gainLeft[k] += m.stepLeft[k], m.gainRight[k] += m.stepRight[k];
                            if (!plays) continue;
                            sum += m.gainLeft[k] * m.held[k];
                            if (role[i].routed) {
                                wantRows[0][s][k] += m.gainLeft[k] * m.held[k];
                                wantRows[1][s][k] += m.gainRight[k] * m.held[k];
                            }
                            sumLeft += m.gainLeft[k] * m.held[k];
                            sumRight += m.gainRight[k] * m.held[k];
                        }
                        want[i][s] = sum;
                        if (plays && !role[i].routed) wantDry[0][s] += sumLeft, wantDry[1][s] += sumRight;
                    }
                }
                LayerMix copies[kLayers] = {mixes[0], mixes[1], mixes[2]};
                set.kernels->mixShared(pointers, role, from, n, sums);
                for (int i = 0; i < kLayers; ++i) pointers[i] = &copies[i];
                set.kernels->mixPerVoice(pointers, role, from, n, rows[0], rows[1], dry[0], dry[1]);
                for (int i = 0; i < kLayers; ++i) {
                    for (const LayerMix* m : {&mixes[i], &copies[i]}) {
                        for (int k = 0; k < kLanes; ++k) {
                            ASSERT_EQ(m->phase[k], expected[i].phase[k]) << set.name << " " << roles << " " << i;
                            ASSERT_EQ(m->held[k], expected[i].held[k]) << set.name << " " << roles << " " << i;
                            ASSERT_EQ(m->gainLeft[k], expected[i].gainLeft[k]) << set.name << " " << roles;
                            ASSERT_EQ(m->gainRight[k], expected[i].gainRight[k]) << set.name << " " << roles;
                        }
                    }
                    for (int s = 0; s < n; ++s) ASSERT_EQ(sums[i][s], want[i][s]) << set.name << " " << roles;
                }
                for (int c = 0; c < 2; ++c) {
                    for (int s = 0; s < n; ++s) {
                        ASSERT_EQ(dry[c][s], wantDry[c][s]) << set.name << " " << roles << " " << s;
                        for (int k = 0; k < kLanes; ++k) ASSERT_EQ(rows[c][s][k], wantRows[c][s][k]) << set.name;
                    }
                }
            }
        }
    }
}

// Spans in turn, each layer's state carried from one span to the next
// while its gains ramp, stand still (steps of 0, or too small to move them)
// and ramp again, and its holds now and then step onto 0 without wrapping:
// each span's lane rows and what the layers keep are, to the bit, what one
// voice at a time gives.
TEST(VoiceKernels, SpansInTurnMixAsOneVoiceAtATime) {
    using voicelanes::kLayers;
    using voicelanes::LayerMix;
    for (const Named& set : unfusedSets()) {
        Values values;
        LayerMix mixes[kLayers]{}, want[kLayers]{};
        voicelanes::LayerRole role[kLayers];
        LayerMix* pointers[kLayers];
        for (int i = 0; i < kLayers; ++i) {
            role[i] = drawLayer(mixes[i], 2, false, values);
            pointers[i] = &mixes[i];
        }
        int steadySpans = 0;
        for (int span = 0; span < 400; ++span) {
            SCOPED_TRACE(std::string(set.name) + " span " + std::to_string(span));
            for (LayerMix& m : mixes) {
                for (auto& row : m.rows)
                    for (float& x : row) x = values.next(-1.0f, 1.0f);
                const float kind = values.next(0.0f, 1.0f);  // ramping, standing, or steps too small to tell
                for (int k = 0; k < kLanes; ++k) {
                    m.stepLeft[k] = kind < 0.3f ? values.next(-0.01f, 0.01f) : kind < 0.8f ? 0.0f : 1e-12f;
                    m.stepRight[k] = kind < 0.3f ? values.next(-0.01f, 0.01f) : 0.0f;
                    if (m.rate[k] == 0.0f) m.rate[k] = 0.25f, m.wrapAt[k] = holdWrapPoint(0.25f);
                }
                // Now and then a lane whose phase steps onto 0 without
                // wrapping (minus its rate, or a rate of 0 at 0), or a new rate.
                const float odd = values.next(0.0f, 1.0f);
                const int k = int(values.next(0.0f, 8.0f)) % kLanes;
                if (odd < 0.07f) m.phase[k] = -m.rate[k];
                if (odd >= 0.07f && odd < 0.14f) m.rate[k] = m.phase[k] = 0.0f;
                if (odd >= 0.14f && odd < 0.3f) m.rate[k] = values.next(0.05f, 0.7f);
                m.wrapAt[k] = holdWrapPoint(m.rate[k]);
            }
            for (int i = 0; i < kLayers; ++i) want[i] = mixes[i];
            // (Both kinds of span must come: frames that leave the gains and
            // the renewal test out, and frames that step them.)
            bool steady = true;
            for (const LayerMix& m : mixes)
                for (int k = 0; k < kLanes; ++k)
                    steady = steady && m.gainLeft[k] + m.stepLeft[k] == m.gainLeft[k] &&
                             m.gainRight[k] + m.stepRight[k] == m.gainRight[k] && m.rate[k] > 0.0f && m.phase[k] >= 0.0f;
            steadySpans += steady;
            const int n = span % 5 == 4 ? 7 : 16, from = 16 - n;
            voicelanes::LaneRows rows[2], wantRows[2] = {};
            float dry[2][16] = {};
            set.kernels->mixPerVoice(pointers, role, from, n, rows[0], rows[1], dry[0], dry[1]);
            for (LayerMix& m : want) {
                for (int s = 0; s < n; ++s) {
                    for (int k = 0; k < kLanes; ++k) {
                        m.phase[k] += m.rate[k];
                        if (m.phase[k] >= 2.0f) m.phase[k] = 0.0f;
                        if (m.phase[k] == 0.0f) m.held[k] = m.rows[from + s][k];
                        m.gainLeft[k] += m.stepLeft[k], m.gainRight[k] += m.stepRight[k];
                        wantRows[0][s][k] += m.gainLeft[k] * m.held[k];
                        wantRows[1][s][k] += m.gainRight[k] * m.held[k];
                    }
                }
            }
            for (int i = 0; i < kLayers; ++i) {
                ASSERT_EQ(std::memcmp(mixes[i].phase, want[i].phase, sizeof want[i].phase), 0) << i;
                ASSERT_EQ(std::memcmp(mixes[i].held, want[i].held, sizeof want[i].held), 0) << i;
                ASSERT_EQ(std::memcmp(mixes[i].gainLeft, want[i].gainLeft, sizeof want[i].gainLeft), 0) << i;
                ASSERT_EQ(std::memcmp(mixes[i].gainRight, want[i].gainRight, sizeof want[i].gainRight), 0) << i;
            }
            ASSERT_EQ(std::memcmp(rows, wantRows, n * sizeof rows[0][0]), 0);
            ASSERT_EQ(std::memcmp(rows[1], wantRows[1], n * sizeof rows[1][0]), 0);
        }
        EXPECT_GT(steadySpans, 40) << set.name;
        EXPECT_LT(steadySpans, 360) << set.name;
    }
}

// Resting layers move their hold phases along the hold's cycle instead of
// step by step: tick after tick, through spans of any length, spans that a
// layer plays (whose frames step its phases), new rates and cycles longer
// than those kept, every phase is what the steps alone give, to the bit.
TEST(VoiceKernels, RestingPhasesFollowTheStepsThroughPlayAndNewRates) {
    using voicelanes::kLayers;
    using voicelanes::LayerMix;
    using voicelanes::LayerRole;
    struct Rates {
        const char* name;
        float lo, hi;  // the voices' rates are drawn from [lo, hi)
    };
    const Rates rateSets[] = {{"every second sample", 1.0f, 1.0f}, {"short cycles", 0.3f, 0.9f},
                              {"up to 64", 0.032f, 0.2f},          {"longer than kept", 0.005f, 0.03f},
                              {"past 2", 2.0f, 3.0f},              {"mixed", 0.01f, 1.5f}};
    for (const Named& set : kernelSets()) {
        for (const Rates& rates : rateSets) {
            SCOPED_TRACE(std::string(set.name) + ", " + rates.name);
            Values values;
            LayerMix mixes[kLayers]{};
            float phases[kLayers][kLanes] = {};  // stepped one by one
            int leftInCycles = 0;                // layer ticks that ended with the phases in the cycles
            auto newRates = [&](int i) {
                LayerMix& m = mixes[i];
                for (int k = 0; k < kLanes; ++k) {
                    m.rate[k] = values.next(rates.lo, rates.hi);
                    m.wrapAt[k] = holdWrapPoint(m.rate[k]);
                }
                takeHoldCycles(m);
            };
            for (int i = 0; i < kLayers; ++i) newRates(i);
            LayerMix* pointers[kLayers] = {&mixes[0], &mixes[1], &mixes[2]};
            for (int tick = 0; tick < 400; ++tick) {
                if (tick % 97 == 50) newRates(tick % kLayers);
                const int n = tick % 11 == 3 ? 1 + tick % 16 : 16;
                const int playing = tick % 37 < 5 ? tick % kLayers : -1;  // one layer plays now and then
                LayerRole role[kLayers];
                for (int i = 0; i < kLayers; ++i) {
                    const bool on = (tick / 60 + i) % 4 != 0;  // a layer switched off keeps its phases
                    role[i] = {on || i == playing, i != playing, false};
                    for (auto& row : mixes[i].rows)
                        for (float& x : row) x = i == playing ? values.next(-1.0f, 1.0f) : 0.0f;
                    if (i != playing) std::fill(std::begin(mixes[i].held), std::end(mixes[i].held), 0.0f);
                    for (int s = 0; s < n && role[i].on; ++s)
                        for (int k = 0; k < kLanes; ++k)
                            phases[i][k] = phases[i][k] >= mixes[i].wrapAt[k] ? 0.0f : phases[i][k] + mixes[i].rate[k];
                }
                float sums[kLayers][16] = {};
                set.kernels->mixShared(pointers, role, 0, n, sums);
                for (int i = 0; i < kLayers; ++i) {
                    // Looked at in a copy, so that phases left in their
                    // cycles stay there for the ticks to come.
                    LayerMix seen = mixes[i];
                    leftInCycles += seen.phasesInCycle != 0;
                    settleHoldPhases(seen);
                    for (int k = 0; k < kLanes; ++k)
                        ASSERT_EQ(std::bit_cast<uint32_t>(seen.phase[k]), std::bit_cast<uint32_t>(phases[i][k]))
                            << "tick " << tick << " layer " << i << " voice " << k;
                }
            }
            int kept = 0;
            for (const LayerMix& m : mixes)
                for (int k = 0; k < kLanes; ++k) kept += m.cycleAt[k] >= 0;
            EXPECT_TRUE(rates.lo < 0.032f || kept > 0);  // the cycles were used
            EXPECT_TRUE(rates.lo < 0.032f || leftInCycles > 100) << leftInCycles;  // and the phases left in them
        }
    }
}

// The mix filtered as it is made gives, to the bit, what the mix into the
// lane rows and the lanes' cores over those rows give one after the other:
// every role of the three layers (off, quiet, through, around), whole
// spans and the ends a host block leaves, each core type, filters that
// carry their state from span to span.  Where no layer through the filter
// plays the cores filter silence.
TEST(VoiceKernels, MixFilteredIsTheMixThenTheFilter) {
    using voicelanes::kLayers;
    using voicelanes::LayerMix;
    using voicelanes::LayerRole;
    using voicelanes::SvfLanes;
    for (const Named& set : kernelSets()) {
        Values values;
        SvfLanes cores[2]{}, wantCores[2]{};
        for (SvfLanes& side : cores) {
            for (int k = 0; k < kLanes; ++k) {
                side.f[k] = side.fUpper[k] = values.next(0.05f, 0.9f);
                side.fLower[k] = values.next(0.02f, 0.5f);
                side.q[k] = side.qUpper[k] = side.qLower[k] = values.next(0.1f, 1.5f);
            }
        }
        wantCores[0] = cores[0], wantCores[1] = cores[1];
        for (int roles = 0; roles < 64; ++roles) {
            const int type = roles % 4;
            for (auto [from, n] : {std::pair{0, 16}, {5, 9}, {11, 5}}) {
                SCOPED_TRACE(std::string(set.name) + " roles " + std::to_string(roles) + " type " +
                             std::to_string(type) + " span " + std::to_string(n));
                LayerMix mixes[kLayers]{}, wantMixes[kLayers]{};
                LayerRole role[kLayers];
                LayerMix *pointers[kLayers], *wantPointers[kLayers];
                for (int i = 0; i < kLayers; ++i) {
                    role[i] = drawLayer(mixes[i], roles >> (2 * i) & 3, true, values);
                    takeHoldCycles(mixes[i]);
                    wantMixes[i] = mixes[i];
                    pointers[i] = &mixes[i];
                    wantPointers[i] = &wantMixes[i];
                }
                voicelanes::LaneRows rows[2] = {};
                float wantDry[2][16] = {}, wantSums[2][16] = {}, wantInputs[2][16] = {};
                set.kernels->mixPerVoice(wantPointers, role, from, n, rows[0], rows[1], wantDry[0], wantDry[1]);
                set.kernels->filterLanes(wantCores[0], wantCores[1], rows[0], rows[1], n, type, wantSums[0],
                                         wantSums[1], wantInputs[0], wantInputs[1]);
                float dry[2][16] = {}, sums[2][16] = {}, inputs[2][16] = {};
                const voicelanes::LaneFiltering lanes = {&cores[0], &cores[1], type,      sums[0],
                                                         sums[1],   inputs[0], inputs[1]};
                set.kernels->mixFiltered(pointers, role, from, n, lanes, dry[0], dry[1]);
                EXPECT_EQ(std::memcmp(mixes, wantMixes, sizeof mixes), 0);
                EXPECT_EQ(std::memcmp(cores, wantCores, sizeof cores), 0);
                for (int c = 0; c < 2; ++c) {
                    for (int s = 0; s < n; ++s) {
                        ASSERT_EQ(std::bit_cast<uint32_t>(dry[c][s]), std::bit_cast<uint32_t>(wantDry[c][s])) << s;
                        ASSERT_EQ(std::bit_cast<uint32_t>(sums[c][s]), std::bit_cast<uint32_t>(wantSums[c][s])) << s;
                        ASSERT_EQ(std::bit_cast<uint32_t>(inputs[c][s]), std::bit_cast<uint32_t>(wantInputs[c][s]))
                            << s;
                    }
                }
            }
        }
    }
}

// The AVX-512 set against the AVX2 one it stands in for, bit for bit, so
// that a render moves from one processor to the other without a sample
// changing: every role of the three layers through every filter type (40
// spans in a row, so that the cores' state carries on), the reads at steps
// far below and above the data's rate, a layer's clear ticks, the
// envelopes, which the AVX-512 compiler would round apart were they built
// with it, and the other tick kernels, which it builds.
// The portable set never fuses a multiply-add of its own accord; the AVX2
// and AVX-512 sets are built alike, so either both fuse or neither.
TEST(VoiceKernels, OnlyTheFmaSetsFuseAndTheyFuseAlike) {
    EXPECT_FALSE(voicelanes::kPortableKernels.fusesPlainMultiplyAdds());
    if (!platform::cpuHasAvx512Vl()) GTEST_SKIP() << "no AVX-512VL here";
    EXPECT_EQ(voicelanes::kAvx2Kernels.fusesPlainMultiplyAdds(), voicelanes::kAvx512Kernels.fusesPlainMultiplyAdds());
}

TEST(VoiceKernels, TheAvx512SetRoundsAsTheAvx2Set) {
    if (!platform::cpuHasAvx512Vl()) GTEST_SKIP() << "no AVX-512VL here";
    const VoiceKernels* sets[2] = {&voicelanes::kAvx2Kernels, &voicelanes::kAvx512Kernels};
    struct Span {
        voicelanes::LayerMix mixes[voicelanes::kLayers];
        voicelanes::SvfLanes cores[2];
        float dry[2][16], sums[2][16], inputs[2][16], shared[voicelanes::kLayers][16];
    };
    Values values;
    for (int roles = 0; roles < 64; ++roles) {
        for (int type = 0; type < 4; ++type) {
            SCOPED_TRACE(testing::Message() << "roles " << roles << " type " << type);
            Span spans[2] = {};
            for (voicelanes::SvfLanes& side : spans[0].cores) {
                for (int k = 0; k < kLanes; ++k) {
                    side.f[k] = side.fUpper[k] = values.next(0.05f, 1.2f);
                    side.fLower[k] = values.next(0.02f, 0.5f);
                    side.q[k] = side.qUpper[k] = side.qLower[k] = values.next(0.02f, 1.5f);
                }
            }
            spans[1] = spans[0];
            for (int round = 0; round < 40; ++round) {
                voicelanes::LayerRole role[voicelanes::kLayers];
                for (int i = 0; i < voicelanes::kLayers; ++i) {
                    role[i] = drawLayer(spans[0].mixes[i], roles >> (2 * i) & 3, round % 3 == 0, values);
                    takeHoldCycles(spans[0].mixes[i]);
                    spans[1].mixes[i] = spans[0].mixes[i];
                }
                const int from = round % 4 == 1 ? 5 : 0, n = round % 4 == 1 ? 9 : 16;
                for (int s = 0; s < 2; ++s) {
                    Span& span = spans[s];
                    voicelanes::LayerMix* pointers[3] = {&span.mixes[0], &span.mixes[1], &span.mixes[2]};
                    const voicelanes::LaneFiltering lanes = {&span.cores[0], &span.cores[1], type,          span.sums[0],
                                                             span.sums[1],   span.inputs[0], span.inputs[1]};
                    sets[s]->mixFiltered(pointers, role, from, n, lanes, span.dry[0], span.dry[1]);
                    sets[s]->mixShared(pointers, role, from, n, span.shared);
                }
                ASSERT_EQ(std::memcmp(&spans[0], &spans[1], sizeof spans[0]), 0) << "round " << round;
            }
        }
    }

    std::vector<int16_t> data(6000);
    for (int16_t& x : data) x = int16_t(values.next(-32768.0f, 32767.0f));
    for (int read = 0; read < 500; ++read) {
        const float start = values.next(0.0f, 4000.0f), step = values.next(0.0f, 8.0f);
        float out[2][2][16] = {};
        for (int s = 0; s < 2; ++s) {
            sets[s]->readFrames(data.data(), start, step, out[s][0], 11);
            sets[s]->readTick(data.data(), start, step, out[s][1]);
        }
        ASSERT_EQ(std::memcmp(out[0], out[1], sizeof out[0]), 0) << "read " << read;
    }
    float outs[2][kLanes][16] = {};
    voicelanes::VoiceRead reads[2][kLanes];
    voicelanes::VoiceRead* pointers[2][kLanes];
    for (int v = 0; v < kLanes; ++v) {
        const float position = values.next(0.0f, 200.0f), until = v == 5 ? 0.0f : 5990.0f;
        for (int s = 0; s < 2; ++s) {
            reads[s][v] = {data.data(), outs[s][v], position, 1.0f, until};
            pointers[s][v] = &reads[s][v];
        }
    }
    for (int tick = 0; tick < 200; ++tick) {
        float steps[kLanes];
        for (float& step : steps) step = values.next(0.0f, 3.0f);
        const uint32_t voices = tick % 5 == 0 ? 0xa5u : 0xffu;
        ASSERT_EQ(sets[0]->readClearTicks(pointers[0], voices, steps), sets[1]->readClearTicks(pointers[1], voices, steps));
        ASSERT_EQ(std::memcmp(outs[0], outs[1], sizeof outs[0]), 0) << "tick " << tick;
        for (int v = 0; v < kLanes; ++v) {
            ASSERT_EQ(reads[0][v].position, reads[1][v].position) << "tick " << tick;
            ASSERT_EQ(reads[0][v].step, reads[1][v].step) << "tick " << tick;
        }
    }

    voicelanes::Envelopes envelopes[2] = {};
    voicelanes::Glides glides[2] = {};
    float gates[kLanes] = {};
    for (int tick = 0; tick < 2000; ++tick) {
        for (float& gate : gates)
            if (values.next(0.0f, 1.0f) < 0.1f) gate = values.next(0.0f, 1.0f) < 0.3f ? 0.0f : values.next(0.1f, 1.0f);
        const EnvelopeTimes times = filterEnvelopeTimes(values.next(0.0f, 0.4f), values.next(0.0f, 0.4f),
                                                        values.next(0.0f, 1.0f), values.next(0.0f, 0.4f));
        const voicelanes::EnvelopeTicks ticks = envelopeTicksOf(times, 2.75625f);
        const float glideTicks = values.next(0.0f, 40.0f);
        bool still[2];
        for (int s = 0; s < 2; ++s)
            still[s] = sets[s]->filterEnvelopes(envelopes[s], glides[s], gates, times.sustain, ticks, glideTicks);
        ASSERT_EQ(still[0], still[1]) << "tick " << tick;
        ASSERT_EQ(std::memcmp(envelopes, envelopes + 1, sizeof envelopes[0]), 0) << "tick " << tick;
        ASSERT_EQ(std::memcmp(glides, glides + 1, sizeof glides[0]), 0) << "tick " << tick;
    }

    // The tick kernels the AVX-512 set builds with its own target: a
    // layer's drift and notes, both filter sides' cutoffs and every type's
    // coefficients, the gains' ramps, the increments and a note table.
    EngineTestContext context(48000.0f);
    struct Tick {
        uint32_t state = 99u, moved[2] = {};
        voicelanes::Glides drift{};
        voicelanes::SvfLanes sides[2]{};
        voicelanes::LayerMix mix{};
        alignas(32) float held[kLanes], now[kLanes], increments[kLanes], fewIncrements[kLanes], frequencies[kLanes];
    };
    Tick ticks[2] = {};
    const float* pitches = &context.info.pitchRatioTable[0].value;
    for (int tick = 0; tick < 600; ++tick) {
        alignas(32) float notes[kLanes], levels[kLanes], roots[kLanes], tunes[kLanes], rates[kLanes];
        for (int k = 0; k < kLanes; ++k) {
            notes[k] = values.next(-20.0f, 150.0f);
            levels[k] = values.next(0.0f, 1.0f);
            roots[k] = values.next(0.0f, 127.0f);
            tunes[k] = values.next(-1.0f, 1.0f);
            rates[k] = values.next(8000.0f, 96000.0f);
        }
        const float glideTicks = tick % 50 < 10 ? 0.0f : values.next(1.0f, 40.0f);
        const float offset = values.next(-24.0f, 24.0f), depth = tick % 6 == 0 ? 0.0f : values.next(0.0f, 2.0f);
        const voicelanes::CutoffInput input = {levels, tick % 5 == 1 ? 1 : 0, nullptr, glideTicks,
                                               values.next(0.0f, 0.6f), values.next(0.3f, 1.1f), depth,
                                               tick % 40 < 20 ? values.next(0.0f, 9.9f) : 4.0f, tick / 30 % 5,
                                               48000.0f};
        const float level = values.next(0.0f, 1.0f), panLeft = values.next(0.0f, 1.0f),
                    panRight = values.next(0.0f, 1.0f);
        for (int s = 0; s < 2; ++s) {
            const VoiceKernels& k = *sets[s];
            Tick& t = ticks[s];
            k.driftNotes(t.state, t.drift, glideTicks, notes, offset, depth, t.held, t.now);
            k.laneCutoffs(t.sides, t.state, input, tick % 7 == 3, t.moved);
            for (voicelanes::SvfLanes& side : t.sides)
                k.coefficients(side, t.moved[0] | t.moved[1], input.row, input.type, 48000.0f,
                               filterCoefValuesF().data(), filterCoefValuesQ().data());
            k.gains(t.mix, levels, level, panLeft, panRight, tick % 3 == 0, 1.0f / 16.0f);
            k.increments(pitches, t.now, roots, tunes, rates, 48000.0f, t.increments);
            k.incrementsOfFew(pitches, t.now, roots, tunes, rates, 48000.0f, t.fewIncrements);
            k.noteTable(pitches, 257, offset, notes, t.frequencies);
        }
        ASSERT_EQ(std::memcmp(&ticks[0], &ticks[1], sizeof ticks[0]), 0) << "tick " << tick;
    }
}
