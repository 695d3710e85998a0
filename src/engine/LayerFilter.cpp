#include "engine/LayerFilter.h"

#include <algorithm>
#include <bit>

#include "core/BWSystemInfo.h"
#include "engine/FilterCoefficientTables.h"
#include "engine/Float4.h"
#include "engine/VoiceKernels.h"
#include "engine/VoiceMix.h"

namespace {

constexpr float kEnvelopeGlideMs = 3.0f;

void follow(LinearGlide& glide, float level, float ticks) {
    glide.retarget(level, ticks);
    glide.advance();
}

// Every glide at its target, four at a time.
bool arrived(const voicelanes::Glides& glides) {
    Int4 same = load4(glides.value) == load4(glides.target);
    same &= load4(glides.value + 4) == load4(glides.target + 4);
    return (same[0] & same[1] & same[2] & same[3]) != 0;
}

// ((v0 + v4) + (v1 + v5)) + ((v2 + v6) + (v3 + v7)), as the lanes' inputs
// have always been added up.
float sumInPairs(const float (&v)[kLayerVoices]) {
    return ((v[0] + v[4]) + (v[1] + v[5])) + ((v[2] + v[6]) + (v[3] + v[7]));
}

}  // namespace

LayerFilter::LayerFilter() {
    for (voicelanes::SvfLanes& side : lanes) {
        std::fill(std::begin(side.position), std::end(side.position), -1.0f);
        std::fill(std::begin(side.lastRow), std::end(side.lastRow), -1.0f);
        std::fill(std::begin(side.frequency), std::end(side.frequency), 45.0f);
        for (float* q : {side.q, side.qUpper, side.qLower}) std::fill(q, q + kLayerVoices, 2.0f);
    }
}

void LayerFilter::prepare(float sampleRate) {
    for (FilterChannel& channel : sharedChannels) channel.prepare(sampleRate);
    for (auto& pair : combs)
        for (CombFilter& comb : pair) comb.prepare(sampleRate);
    clear();
}

void LayerFilter::setCombLine(int channel, std::span<float> storage) {
    if (channel < 0 || channel >= kChannels) return;
    if (channel < 2) return sharedChannels[channel].setLine(storage);
    combs[(channel - 2) / 2][(channel - 2) % 2].setLine(storage);
}

void LayerFilter::clear() {
    for (FilterChannel& channel : sharedChannels) channel.clear();
    for (voicelanes::SvfLanes& side : lanes) {
        for (float* core : {side.hp, side.bp, side.lp, side.hp2, side.bp2, side.lp2})
            std::fill(core, core + kLayerVoices, 0.0f);
        std::fill(std::begin(side.position), std::end(side.position), -1.0f);
    }
    coresEmpty = true;
    for (auto& pair : combs)
        for (CombFilter& comb : pair) comb.clear();
}

bool LayerFilter::envelopesSteady() const {
    if (!sharedEnvelopeState.isSteady() || sharedGlide.value != sharedGlide.target) return false;
    for (int k = 0; k < kLayerVoices; ++k) {
        const auto state = static_cast<Envelope::State>(laneEnvelopes.state[k]);
        if (state != Envelope::State::Idle && state != Envelope::State::Sustain && state != Envelope::State::Finished)
            return false;
        if (laneGlides.value[k] != laneGlides.target[k]) return false;
    }
    return true;
}

void LayerFilter::tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs) {
    float gateSum = 0.0f;
    for (float gate : gates) gateSum += gate;
    glideTicks = kEnvelopeGlideMs * ticksPerMs;
    sharedEnvelopeState.tick(gateSum, 1.0f, times.sustain, times, ticksPerMs);
    follow(sharedGlide, sharedEnvelopeState.getLevel(), glideTicks);
    // Envelopes at rest under unmoved gates, their glides arrived: nothing
    // would change.
    if (laneEnvelopesStill && arrived(laneGlides) && gatesAsBefore(laneEnvelopes, gates) && glideTicks == laneGlideTicks)
        return;
    laneGlideTicks = glideTicks;
    laneEnvelopesStill = voiceKernels().filterEnvelopes(laneEnvelopes, laneGlides, gates.data(), times.sustain,
                                                        envelopeTicksOf(times, ticksPerMs), glideTicks);
}

void LayerFilter::tickPair(std::array<FilterChannel, 2>& pair, float envelope, const FilterSettings& settings,
                           BWSystemInfo& system) {
    pair[0].tick(envelope, settings, system);
    pair[1].tick(settings.invert ? 1.0f - envelope : envelope, settings, system);
}

void LayerFilter::tickCoefficients(const FilterSettings& settings, bool perVoice, BWSystemInfo& system,
                                   bool lanesFed) {
    if (!perVoice) return tickPair(sharedChannels, sharedGlide.value, settings, system);
    tickLanes(settings, system, lanesFed);
}

// Lane k's left channel takes draw 2k + 1 of the tick and its right channel
// draw 2k + 2, as when the lanes took theirs one channel after another.
//
// Lanes that rest unfed through a tick need no cutoff: what they stand at
// is looked at only when they filter, and their coefficients are a
// function of where they stand then.  Their drift moves on, as it feeds
// back.  The first fed tick compares each lane with where it last stood, as
// every tick does, so a lane that moved and came back keeps coefficients
// that are the ones it would have worked out again.
//
// (Measured and left: the cutoffs and the fed lanes' coefficients in one
// kernel call from here, instead of the coefficients waiting for the span,
// saved 7 instructions a tick of about 4,900 at one voice and no time; the
// coefficients taken here in a second call were no faster either.)
void LayerFilter::tickLanes(const FilterSettings& settings, BWSystemInfo& system, bool lanesFed) {
    uint32_t moved[2] = {0, 0};
    pendingRow = settings.row;
    pendingType = static_cast<int32_t>(settings.type);
    pendingRate = system.sampleRate;
    const voicelanes::CutoffInput input = {laneGlides.value,
                                           settings.invert ? 1 : 0,
                                           nullptr,
                                           settings.age.timeMs * system.samplesPerMsPerTick,
                                           settings.cut,
                                           settings.peak,
                                           settings.age.depth,
                                           settings.row,
                                           static_cast<int32_t>(settings.type),
                                           system.sampleRate};
    const bool driftOnly = !lanesFed && restsUnfed(settings.type);
    voiceKernels().laneCutoffs(lanes, system.randomState, input, driftOnly, moved);
    pending[0] |= moved[0];
    pending[1] |= moved[1];
    // The combs' ticks are passed over while they would change nothing: no
    // glide under way, no new delay asked for and the feedback (to the bit)
    // the same.
    const bool follows = settings.type == FilterType::Comb && (moved[0] | moved[1]) != 0;
    const uint32_t feedbackBits = std::bit_cast<uint32_t>(settings.feedback);
    if (follows || combsGliding || feedbackBits != combFeedbackBits) tickCombs(settings, moved, system);
}

void LayerFilter::tickCombs(const FilterSettings& settings, const uint32_t (&moved)[2], BWSystemInfo& system) {
    const bool comb = settings.type == FilterType::Comb;
    combFeedbackBits = std::bit_cast<uint32_t>(settings.feedback);
    combsGliding = false;
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < kLayerVoices; ++k) {
            CombFilter& filter = combs[k][c];
            filter.tick(settings.feedback);
            if (comb && (moved[c] >> k & 1u)) filter.follow(lanes[c].frequency[k], system);
            combsGliding = combsGliding || filter.isGliding();
        }
    }
}

// The coefficients of the lanes whose cutoff moved, worked out once the
// lanes filter something.  A lane that moved again since only counts once:
// its coefficients are a function of where it stands now.
void LayerFilter::takeCoefficients(const voicelanes::VoiceKernels& kernels) {
    for (int c = 0; c < 2; ++c) {
        if (pending[c] == 0) continue;
        kernels.coefficients(lanes[c], pending[c], pendingRow, pendingType, pendingRate, filterCoefValuesF().data(),
                             filterCoefValuesQ().data());
        pending[c] = 0;
    }
}

bool LayerFilter::lanesAtRest() {
    if (coresEmpty) return true;
    coresEmpty = true;
    for (const voicelanes::SvfLanes& side : lanes)
        coresEmpty = coresEmpty && allZero(side.hp) && allZero(side.bp) && allZero(side.lp);
    return coresEmpty;
}

bool LayerFilter::restsUnfed(FilterType type) {
    const bool cores = type == FilterType::LowPass || type == FilterType::BandPass || type == FilterType::HighPass;
    return cores && lanesAtRest();
}

void LayerFilter::processLanes(const voicelanes::LaneRows (&in)[2], float (&sums)[2][kEngineTick],
                               float (&inputs)[2][kEngineTick], int32_t n, FilterType type, bool quiet) {
    if (quiet && restsUnfed(type)) {
        for (int c = 0; c < 2; ++c) {
            std::fill_n(sums[c], n, 0.0f);
            std::fill_n(inputs[c], n, 0.0f);
        }
        return;
    }
    if (type != FilterType::Comb) {
        const voicelanes::VoiceKernels& kernels = voiceKernels();
        takeCoefficients(kernels);
        coresEmpty = false;
        kernels.filterLanes(lanes[0], lanes[1], in[0], in[1], n, static_cast<int32_t>(type), sums[0], sums[1],
                            inputs[0], inputs[1]);
        return;
    }
    processCombs(in, sums, n);
    for (int c = 0; c < 2; ++c)
        for (int32_t s = 0; s < n; ++s) inputs[c][s] = sumInPairs(in[c][s]);
}

void LayerFilter::mixThroughCores(voicelanes::LayerMix* const* mixes, const voicelanes::LayerRole* roles,
                                  int32_t from, int32_t n, FilterType type, float (&sums)[2][kEngineTick],
                                  float (&inputs)[2][kEngineTick], float (&dry)[2][kEngineTick]) {
    const voicelanes::VoiceKernels& kernels = voiceKernels();
    takeCoefficients(kernels);
    coresEmpty = false;
    const voicelanes::LaneFiltering filtering = {&lanes[0], &lanes[1], static_cast<int32_t>(type), sums[0],
                                                 sums[1],   inputs[0], inputs[1]};
    kernels.mixFiltered(mixes, roles, from, n, filtering, dry[0], dry[1]);
}

// Each lane's comb, lane after lane, their outputs added up in lane order.
void LayerFilter::processCombs(const voicelanes::LaneRows (&in)[2], float (&sums)[2][kEngineTick], int32_t n) {
    std::fill_n(sums[0], n, 0.0f);
    std::fill_n(sums[1], n, 0.0f);
    for (int v = 0; v < kLayerVoices; ++v) {
        for (int c = 0; c < 2; ++c) {
            CombFilter& comb = combs[v][c];
            if (!comb.hasLine()) continue;  // a silent comb adds nothing
            for (int32_t s = 0; s < n; ++s) sums[c][s] += comb.process(in[c][s][v]);
        }
    }
}
