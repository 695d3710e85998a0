// The AVX-512 kernel set against the AVX2 one it stands in for: the same
// inputs give the same bits out, whether a kernel is one the wider
// registers recompile (the reads, the mixes, the cores) or one that must
// stay as the AVX2 set compiles it (the envelopes).  A render may then move
// from one processor to another without a sample changing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/Envelope.h"
#include "engine/VoiceLanes.h"
#include "engine/VoiceMix.h"
#include "platform/CpuFeatures.h"

namespace {

using voicelanes::kLanes;
using voicelanes::kLayers;
using voicelanes::LayerMix;
using voicelanes::LayerRole;
using voicelanes::SvfLanes;
using voicelanes::VoiceKernels;

struct Draws {
    uint32_t seed = 4242;
    float next(float lo, float hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * float(seed >> 8) / float(1u << 24);
    }
};

// A layer of kind 0 (off), 1 (quiet), 2 (through the filter) or 3 (around
// it), its gains ramping or standing.
LayerRole drawLayer(LayerMix& m, int kind, bool moving, Draws& draws) {
    m = LayerMix{};
    for (auto& row : m.rows)
        for (float& x : row) x = kind >= 2 ? draws.next(-1.0f, 1.0f) : 0.0f;
    for (int k = 0; k < kLanes; ++k) {
        m.phase[k] = draws.next(0.0f, 2.0f);
        m.rate[k] = draws.next(0.05f, 1.5f);
        m.wrapAt[k] = holdWrapPoint(m.rate[k]);
        m.held[k] = kind >= 2 ? draws.next(-1.0f, 1.0f) : 0.0f;
        m.gainLeft[k] = draws.next(0.0f, 1.0f);
        m.gainRight[k] = draws.next(0.0f, 1.0f);
        m.stepLeft[k] = moving ? draws.next(-0.01f, 0.01f) : 0.0f;
        m.stepRight[k] = moving ? draws.next(-0.01f, 0.01f) : 0.0f;
    }
    takeHoldCycles(m);
    return {kind != 0, kind == 1, kind == 2};
}

// What a kernel set leaves behind from one span of all three layers through
// mixShared, or through mixFiltered with cores of the type (resonant, so
// that a rounding apart grows).
struct Span {
    LayerMix mixes[kLayers];
    SvfLanes cores[2];
    float dry[2][16], sums[2][16], inputs[2][16], shared[kLayers][16];
};

void runSpan(const VoiceKernels& kernels, Span& span, const LayerRole* roles, int type, int from, int n) {
    LayerMix* pointers[kLayers] = {&span.mixes[0], &span.mixes[1], &span.mixes[2]};
    const voicelanes::LaneFiltering lanes = {&span.cores[0], &span.cores[1], type, span.sums[0], span.sums[1],
                                             span.inputs[0], span.inputs[1]};
    kernels.mixFiltered(pointers, roles, from, n, lanes, span.dry[0], span.dry[1]);
    kernels.mixShared(pointers, roles, from, n, span.shared);
}

}  // namespace

TEST(VoiceKernelsAvx512, EveryKernelRoundsAsTheAvx2Set) {
    if (!platform::cpuHasAvx512Vl()) GTEST_SKIP() << "no AVX-512VL here";
    const VoiceKernels& wide = voicelanes::kAvx512Kernels;
    const VoiceKernels& avx2 = voicelanes::kAvx2Kernels;
    Draws draws;

    // The spans, every role of the three layers (each of four kinds), every
    // filter type, ramping and standing gains, whole ticks and parts, 40
    // spans in a row so that the cores' state carries on.
    for (int roles = 0; roles < 64; ++roles) {
        for (int type = 0; type < 4; ++type) {
            SCOPED_TRACE(testing::Message() << "roles " << roles << " type " << type);
            Span spans[2] = {};
            for (int c = 0; c < 2; ++c) {
                for (int k = 0; k < kLanes; ++k) {
                    spans[0].cores[c].f[k] = spans[0].cores[c].fUpper[k] = draws.next(0.05f, 1.2f);
                    spans[0].cores[c].fLower[k] = draws.next(0.02f, 0.5f);
                    spans[0].cores[c].q[k] = spans[0].cores[c].qUpper[k] = draws.next(0.02f, 1.5f);
                    spans[0].cores[c].qLower[k] = draws.next(0.02f, 1.5f);
                }
            }
            spans[1].cores[0] = spans[0].cores[0], spans[1].cores[1] = spans[0].cores[1];
            for (int round = 0; round < 40; ++round) {
                LayerRole role[kLayers];
                const bool moving = round % 3 == 0;
                for (int i = 0; i < kLayers; ++i) {
                    role[i] = drawLayer(spans[0].mixes[i], roles >> (2 * i) & 3, moving, draws);
                    spans[1].mixes[i] = spans[0].mixes[i];
                }
                const int from = round % 4 == 1 ? 5 : 0, n = round % 4 == 1 ? 9 : 16;
                runSpan(avx2, spans[0], role, type, from, n);
                runSpan(wide, spans[1], role, type, from, n);
                ASSERT_EQ(std::memcmp(&spans[0], &spans[1], sizeof spans[0]), 0) << "round " << round;
            }
        }
    }

    // The reads, at steps from far below to far above the data's rate: part
    // ticks, whole ticks, and a layer's clear ticks (the wide set reads
    // these in one gather of sixteen).
    std::vector<int16_t> data(6000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = int16_t(draws.next(-32768.0f, 32767.0f));
    for (int read = 0; read < 500; ++read) {
        const float start = draws.next(0.0f, 4000.0f), step = draws.next(0.0f, 8.0f);
        float out[2][16] = {};
        avx2.readFrames(data.data(), start, step, out[0], 11);
        wide.readFrames(data.data(), start, step, out[1], 11);
        ASSERT_EQ(std::memcmp(out[0], out[1], sizeof out[0]), 0) << "read " << read;
        avx2.readTick(data.data(), start, step, out[0]);
        wide.readTick(data.data(), start, step, out[1]);
        ASSERT_EQ(std::memcmp(out[0], out[1], sizeof out[0]), 0) << "read " << read;
    }
    float outs[2][kLanes][16] = {};
    voicelanes::VoiceRead reads[2][kLanes];
    voicelanes::VoiceRead* pointers[2][kLanes];
    for (int v = 0; v < kLanes; ++v) {
        const float position = draws.next(0.0f, 200.0f), until = v == 5 ? 0.0f : 5990.0f;
        for (int s = 0; s < 2; ++s) {
            reads[s][v] = {data.data(), outs[s][v], position, 1.0f, until};
            pointers[s][v] = &reads[s][v];
        }
    }
    for (int tick = 0; tick < 200; ++tick) {
        float steps[kLanes];
        for (float& step : steps) step = draws.next(0.0f, 3.0f);
        const uint32_t voices = tick % 5 == 0 ? 0xa5u : 0xffu;
        ASSERT_EQ(avx2.readClearTicks(pointers[0], voices, steps), wide.readClearTicks(pointers[1], voices, steps));
        ASSERT_EQ(std::memcmp(outs[0], outs[1], sizeof outs[0]), 0) << "tick " << tick;
        for (int v = 0; v < kLanes; ++v) {
            ASSERT_EQ(reads[0][v].position, reads[1][v].position) << "tick " << tick;
            ASSERT_EQ(reads[0][v].step, reads[1][v].step) << "tick " << tick;
        }
    }

    // The envelopes, which the AVX-512 compiler would round apart.
    voicelanes::Envelopes envelopes[2] = {};
    voicelanes::Glides glides[2] = {};
    float gates[kLanes] = {};
    for (int tick = 0; tick < 2000; ++tick) {
        for (float& gate : gates)
            if (draws.next(0.0f, 1.0f) < 0.1f) gate = draws.next(0.0f, 1.0f) < 0.3f ? 0.0f : draws.next(0.1f, 1.0f);
        const EnvelopeTimes times = filterEnvelopeTimes(draws.next(0.0f, 0.4f), draws.next(0.0f, 0.4f),
                                                        draws.next(0.0f, 1.0f), draws.next(0.0f, 0.4f));
        const voicelanes::EnvelopeTicks ticks = envelopeTicksOf(times, 2.75625f);
        const float glideTicks = draws.next(0.0f, 40.0f);
        const bool still[2] = {avx2.filterEnvelopes(envelopes[0], glides[0], gates, times.sustain, ticks, glideTicks),
                               wide.filterEnvelopes(envelopes[1], glides[1], gates, times.sustain, ticks, glideTicks)};
        ASSERT_EQ(still[0], still[1]) << "tick " << tick;
        ASSERT_EQ(std::memcmp(&envelopes[0], &envelopes[1], sizeof envelopes[0]), 0) << "tick " << tick;
        ASSERT_EQ(std::memcmp(&glides[0], &glides[1], sizeof glides[0]), 0) << "tick " << tick;
    }
}
