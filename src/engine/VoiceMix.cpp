#include "engine/VoiceMix.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/BWSystemInfo.h"
#include "engine/Float4.h"
#include "engine/VoiceKernels.h"

namespace {

float rootOrZero(float x) { return x < std::numeric_limits<float>::min() ? 0.0f : std::sqrt(x); }

// Equal as bits: a NaN is the same as itself and -0 is not +0, so that the
// same inputs are known to give the same results.
bool sameBits(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }
bool sameBits(const VoiceValues& a, const VoiceValues& b) { return std::memcmp(a.data(), b.data(), sizeof a) == 0; }

// A value that stays exactly as it is when a step of +0 is added to it, and
// a step of +0: -0 would turn into +0, and a denormal may be read as 0.
uint32_t moves(float value, float step) {
    const auto bits = std::bit_cast<uint32_t>(value);
    const bool kept = (bits & 0x7f800000u) != 0 || bits == 0;
    return std::bit_cast<uint32_t>(step) | (kept ? 0u : 1u);
}
bool standStill(const std::array<SampleRamp, 2>& ramps) {
    return (moves(ramps[0].current, ramps[0].step) | moves(ramps[1].current, ramps[1].step)) == 0;
}
bool standStill(const float (&values)[kLayerVoices], const float (&steps)[kLayerVoices]) {
    uint32_t moving = 0;
    for (int v = 0; v < kLayerVoices; ++v) moving |= moves(values[v], steps[v]);
    return moving == 0;
}

}  // namespace

std::array<float, 2> panGains(float pan) { return {rootOrZero(1.0f - pan), rootOrZero(pan)}; }

float VoiceMix::filterMix(float v) { return std::trunc(9700.0f * v) * 0.0001f; }

void VoiceMix::silenceHolds() {
    for (LayerChain& chain : chains) std::fill(std::begin(chain.mix.held), std::end(chain.mix.held), 0.0f);
}

namespace {

// Floats as integers in the same order (-0 just below +0), and back.
int32_t orderOf(float x) {
    const auto bits = std::bit_cast<int32_t>(x);
    return bits < 0 ? bits ^ 0x7fffffff : bits;
}
float fromOrder(int32_t key) { return std::bit_cast<float>(key < 0 ? key ^ 0x7fffffff : key); }

}  // namespace

float holdWrapPoint(float rate) {
    // p + rate rounds monotonically in p, so the phases that wrap are those
    // from one point up: found by halving the floats between the infinities.
    const auto wraps = [rate](float p) { return p + rate >= 2.0f; };
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    if (!wraps(kInfinity)) return std::numeric_limits<float>::quiet_NaN();  // no phase ever wraps
    if (wraps(-kInfinity)) return -kInfinity;
    int64_t below = orderOf(-kInfinity), at = orderOf(kInfinity);
    while (at - below > 1) {
        const int64_t middle = (below + at) / 2;
        (wraps(fromOrder(static_cast<int32_t>(middle))) ? at : below) = middle;
    }
    return fromOrder(static_cast<int32_t>(at));
}

// Out of line: inlined into takeHoldCycles, it took LayerChain::tick out
// of VoiceMix::tick, 0.6 ns a frame slower with one voice playing.
[[gnu::noinline]] void settleHoldPhases(voicelanes::LayerMix& mix) {
    if (mix.phasesInCycle) voicelanes::settlePhases(mix);
}

void takeHoldCycles(voicelanes::LayerMix& mix) {
    settleHoldPhases(mix);  // the phases as they stand go on under the new cycles
    for (int v = 0; v < kLayerVoices; ++v) {
        const float rate = mix.rate[v], wrapAt = mix.wrapAt[v];
        float phase = 0.0f;
        int32_t length = 0;
        for (int32_t i = 0; i < voicelanes::kHoldCycle && length == 0; ++i) {
            mix.cycle[v][i] = phase;
            phase = phase >= wrapAt ? 0.0f : phase + rate;  // the hold's step
            if (std::bit_cast<uint32_t>(phase) == 0u) length = i + 1;
        }
        mix.cycleLength[v] = length;
        mix.cycleAt[v] = -1;
        mix.cycleRate[v] = rate;
        mix.cycleWrapAt[v] = wrapAt;
    }
}

LayerChain::LayerChain() {
    std::fill(std::begin(mix.rate), std::end(mix.rate), 1.0f);
    takeWrapPoints();
}

void LayerChain::takeWrapPoints() {
    for (int v = 0; v < kLayerVoices; ++v) mix.wrapAt[v] = holdWrapPoint(mix.rate[v]);
    takeHoldCycles(mix);
}

bool LayerChain::isSteady(const VoiceLayer& layer) const {
    if (playedOut != 0) return false;  // the next tick puts the hold rates back
    for (int v = 0; v < kLayerVoices; ++v) {
        const auto state = static_cast<Envelope::State>(envelopes.state[v]);
        if (state != Envelope::State::Idle && state != Envelope::State::Sustain && state != Envelope::State::Finished)
            return false;
        const VoiceLayer::Reader& reader = layer.reader(v);
        if (envelopes.level[v] != 0.0f && reader.isActive() && !reader.isLooping()) return false;
    }
    return true;
}

// Four voices at a time, without a branch each (a NaN gate is never as
// before, as the envelope takes it as a new edge).
bool gatesAsBefore(const voicelanes::Envelopes& envelopes, const VoiceValues& gates) {
    Int4 same = load4(gates.data()) == load4(envelopes.previousGate);
    same &= load4(gates.data() + 4) == load4(envelopes.previousGate + 4);
    return (same[0] & same[1] & same[2] & same[3]) != 0;
}

// Envelopes that held still after their last tick, under gates that did not
// move, stay as they are: the kernel tells the first as it ticks them.
void LayerChain::tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs) {
    if (envelopesStill && gatesAsBefore(envelopes, gates)) return;
    gainsSettled = false;
    envelopesStill =
        voiceKernels().envelope(envelopes, gates.data(), times.sustain, true, envelopeTicksOf(times, ticksPerMs));
}

// The voices' buffers frame by frame, so that a frame of the eight is one
// row; the layer is quiet when none of them holds a sample, nor any hold.
// With no voice sounding only the holds are looked at, here, without a
// call.
void LayerChain::takeSamples(const VoiceLayer& layer, int32_t from, int32_t n) {
    quiet = layer.soundingVoices() == 0 && allZero(mix.held);
    if (quiet) return;
    const voicelanes::VoiceKernels& kernels = voiceKernels();
    const float* voices[kLayerVoices];
    for (int v = 0; v < kLayerVoices; ++v) voices[v] = layer.output(v);
    quiet = !kernels.takeRows(voices, from, n, mix.rows, mix.held);
}

// The hold is renewed f(note) × 8 / (k² + 0.1) times a second, so the
// crush follows each voice's pitch; at 0 it holds every second sample.
void LayerChain::tick(const VoiceLayer& layer, const LayerMixSettings& settings, bool perVoiceFilter,
                      const BWSystemInfo& system) {
    const voicelanes::VoiceKernels& kernels = voiceKernels();
    endPlayOut();
    soundOn = settings.soundOn;
    routed = settings.routed;
    // The rates follow the notes, the crush and the rate: worked out again
    // only when one of them moved.
    const VoiceValues& notes = layer.clampedNotes();
    const bool sameRates = sameBits(settings.crush, ratesFor.crush) && sameBits(system.sampleRate, ratesFor.sampleRate) &&
                           sameBits(notes, ratesFor.notes);
    if (soundOn && !sameRates) {
        ratesFor = {notes, settings.crush, system.sampleRate};
        const float k = settings.crush;
        if (k > 0.0f) {
            const float scale = 16.0f / ((k * k + 0.1f) * system.sampleRate);
            kernels.noteTable(&system.noteFrequencyTable[0].value, BWSystemInfo::kNoteTableSize,
                              static_cast<float>(BWSystemInfo::kNoteTableOffset), layer.clampedNotes().data(),
                              mix.rate);
            for (float& rate : mix.rate) rate *= scale;
        } else {
            std::fill(std::begin(mix.rate), std::end(mix.rate), 1.0f);
        }
        takeWrapPoints();
    }
    const GainInputs inputs = {settings.level, settings.pan, system.tickReciprocal, perVoiceFilter};
    if (!gainsStandStill(inputs)) aimGains(inputs);
    playOut(layer.fadingVoices());
}

void LayerChain::playOut(uint32_t fading) {
    if (fading == 0) return;
    constexpr float kEveryFrame = 2.0f;  // a hold rate that renews on every step
    settleHoldPhases(mix);
    for (uint32_t rest = fading; rest != 0; rest &= rest - 1) {
        const int v = std::countr_zero(rest);
        ownRate[v] = mix.rate[v];
        ownWrapAt[v] = mix.wrapAt[v];
        ownPhase[v] = mix.phase[v];
        mix.rate[v] = kEveryFrame;
        mix.wrapAt[v] = holdWrapPoint(kEveryFrame);
        mix.stepLeft[v] = 0.0f;
        mix.stepRight[v] = 0.0f;
    }
    playedOut = fading;
    gainsSettled = false;  // the next tick aims them at the new note
}

// Before the rates are looked at: rates worked out anew overwrite these.
// Each phase goes on from where the hold's own steps through the tick would
// have left it: voices taken over together must not start their holds
// together, or voices on one note would renew as one, in steps the sum of
// theirs.
void LayerChain::endPlayOut() {
    if (playedOut == 0) return;
    settleHoldPhases(mix);
    for (uint32_t rest = playedOut; rest != 0; rest &= rest - 1) {
        const int v = std::countr_zero(rest);
        mix.rate[v] = ownRate[v];
        mix.wrapAt[v] = ownWrapAt[v];
        float phase = ownPhase[v];
        if (soundOn)  // a layer switched off holds nothing: its phases stand
            for (int step = 0; step < kEngineTick; ++step) phase = phase >= ownWrapAt[v] ? 0.0f : phase + ownRate[v];
        mix.phase[v] = phase;
    }
    playedOut = 0;
}

bool LayerChain::gainsStandStill(const GainInputs& inputs) const {
    return gainsSettled && sameBits(inputs.level, gainsFor.level) && sameBits(inputs.pan, gainsFor.pan) &&
           sameBits(inputs.tickReciprocal, gainsFor.tickReciprocal) && inputs.perVoice == gainsFor.perVoice;
}

void LayerChain::aimGains(const GainInputs& inputs) {
    if (!(inputs.pan == panFor)) {  // two square roots, worked out again only for a new pan
        panFor = inputs.pan;
        pansNow = panGains(inputs.pan);
    }
    const std::array<float, 2>& pans = pansNow;
    voiceKernels().gains(mix, envelopes.level, inputs.level, pans[0], pans[1], inputs.perVoice, inputs.tickReciprocal);
    panRamps[0].setTarget(pans[0], inputs.tickReciprocal);
    panRamps[1].setTarget(pans[1], inputs.tickReciprocal);
    // The shared mode ramps the left gains alone.
    gainsFor = inputs;
    gainsSettled = standStill(mix.gainLeft, mix.stepLeft) &&
                   (!inputs.perVoice || standStill(mix.gainRight, mix.stepRight)) &&
                   standStill(panRamps);
}

void VoiceMix::rolesOf(voicelanes::LayerMix* (&mixes)[kLayerCount], voicelanes::LayerRole (&roles)[kLayerCount]) {
    for (int layer = 0; layer < kLayerCount; ++layer) {
        LayerChain& chain = chains[layer];
        mixes[layer] = &chain.mix;
        roles[layer] = {chain.soundOn, chain.quiet, chain.routed};
    }
}

void VoiceMix::tick(const std::array<const VoiceLayer*, kLayerCount>& layers, const Settings& settings) {
    for (int layer = 0; layer < kLayerCount; ++layer)
        chains[layer].tick(*layers[layer], settings.layers[layer], settings.perVoiceFilter, system);
    filter.tickCoefficients(settings.filter, settings.perVoiceFilter, system, !restShortcut || feedsLanes(layers));
}

// The filter lanes are fed in this tick's spans only through a layer that
// is on, routed and not quiet (takeSamples: a voice sounds or a hold is
// left); none of that changes between the tick and its spans.
bool VoiceMix::feedsLanes(const std::array<const VoiceLayer*, kLayerCount>& layers) const {
    for (int layer = 0; layer < kLayerCount; ++layer) {
        const LayerChain& chain = chains[layer];
        if (chain.soundOn && chain.routed && (layers[layer]->soundingVoices() != 0 || !allZero(chain.mix.held)))
            return true;
    }
    return false;
}

namespace {

// A layer's sum into both sides under its pan ramps; ramps that stand
// still (see moves) give the same gain every frame, so those frames need
// not wait on the ramp one after another.
void addPanned(const float* sum, std::array<SampleRamp, 2>& ramps, int32_t n, float (*target)[kEngineTick]) {
    if (standStill(ramps)) {
        const float left = ramps[0].current, right = ramps[1].current;
        for (int32_t s = 0; s < n; ++s) {
            target[0][s] += sum[s] * left;
            target[1][s] += sum[s] * right;
        }
        return;
    }
    for (int32_t s = 0; s < n; ++s) {
        target[0][s] += sum[s] * ramps[0].next();
        target[1][s] += sum[s] * ramps[1].next();
    }
}

// Both whole rows of a span cleared in eight fixed stores, instead of a
// call that counts out the span's frames (those past it are not read).
// Written out one by one: as a fill or a loop the compiler makes it a
// string store, whose start-up takes longer than the stores themselves.
void clearRows(float (&rows)[2][kEngineTick]) {
    static_assert(kEngineTick == 16);
    const Float4 zero{};
    for (float* row : {rows[0], rows[1]}) {
        store4(row, zero);
        store4(row + 4, zero);
        store4(row + 8, zero);
        store4(row + 12, zero);
    }
}

}  // namespace

// Each layer's sum of voices, panned, into the filter's input or past it.
void VoiceMix::renderShared(const Settings& settings, const voicelanes::VoiceKernels& kernels, int32_t from,
                            int32_t n, float (&dry)[2][kEngineTick], float (&in)[2][kEngineTick]) {
    for (int c = 0; c < 2; ++c) {
        std::fill_n(dry[c], n, 0.0f);
        std::fill_n(in[c], n, 0.0f);
    }
    voicelanes::LayerMix* mixes[kLayerCount];
    voicelanes::LayerRole roles[kLayerCount];
    rolesOf(mixes, roles);
    alignas(32) float sums[kLayerCount][kEngineTick];
    kernels.mixShared(mixes, roles, from, n, sums);
    for (int layer = 0; layer < kLayerCount; ++layer) {
        LayerChain& chain = chains[layer];
        float (*target)[kEngineTick] = chain.routed ? in : dry;
        addPanned(sums[layer], chain.panRamps, n, target);
    }
    const FilterType type = settings.filter.type;
    for (int c = 0; c < 2; ++c) filter.shared(c).process(in[c], filtered[c], n, type);
}

// Each voice into its filter lane (or, for a layer around the filter, the
// voices' sum past it); the lanes rest while nothing reaches them.  A span
// that reaches the cores is filtered as it is mixed; one that reaches the
// combs writes the lane rows whole; one that reaches nothing finds them
// cleared, when a span before wrote them.  Answers whether the span gave
// silence alone: no layer played and the lanes, at rest, had nothing to
// ring out; then only the phases and gains moved, and dry, in and filtered
// were left as they stood.
bool VoiceMix::renderPerVoice(const Settings& settings, const voicelanes::VoiceKernels& kernels, int32_t from,
                              int32_t n, float (&dry)[2][kEngineTick], float (&in)[2][kEngineTick]) {
    voicelanes::LayerMix* mixes[kLayerCount];
    voicelanes::LayerRole roles[kLayerCount];
    rolesOf(mixes, roles);
    bool reached = false, plays = false;
    for (const voicelanes::LayerRole& role : roles) {
        plays = plays || (role.on && !role.quiet);
        reached = reached || (role.on && !role.quiet && role.routed);
    }
    for (LayerChain& chain : chains) {
        chain.panRamps[0].advance(n);
        chain.panRamps[1].advance(n);
    }
    const FilterType type = settings.filter.type;
    // The usual span goes through the cores as it is mixed, and leaves the
    // rows as they stand.
    if (reached && LayerFilter::mixesThroughCores(type)) {
        clearRows(dry);
        filter.mixThroughCores(mixes, roles, from, n, type, filtered, in, dry);
        return false;
    }
    if (laneInWritten && !reached) {
        for (auto& channel : laneIn) std::fill(&channel[0][0], &channel[0][0] + kEngineTick * kLayerVoices, 0.0f);
        laneInWritten = false;
    }
    laneInWritten = reached;
    // With no layer playing the mix writes neither rows nor dry.
    if (!plays && restShortcut && filter.restsUnfed(type)) {
        kernels.mixPerVoice(mixes, roles, from, n, laneIn[0], laneIn[1], dry[0], dry[1]);
        return true;
    }
    for (int c = 0; c < 2; ++c) std::fill_n(dry[c], n, 0.0f);
    kernels.mixPerVoice(mixes, roles, from, n, laneIn[0], laneIn[1], dry[0], dry[1]);
    filter.processLanes(laneIn, filtered, in, n, type, !reached);
    return false;
}

void VoiceMix::render(const std::array<const VoiceLayer*, kLayerCount>& layers, const Settings& settings,
                      int32_t from, int32_t n, float* left, float* right) {
    from = std::clamp(from, 0, kEngineTick);
    n = std::clamp(n, 0, kEngineTick - from);
    const voicelanes::VoiceKernels& kernels = voiceKernels();
    for (int layer = 0; layer < kLayerCount; ++layer) chains[layer].takeSamples(*layers[layer], from, n);
    alignas(32) float dry[2][kEngineTick];
    alignas(32) float in[2][kEngineTick];
    const float mix = settings.mix;
    if (settings.perVoiceFilter && renderPerVoice(settings, kernels, from, n, dry, in)) {
        // Every frame of silence mixes to the same value, worked out as the
        // loop below works it out from dry, in and filtered all +0.
        const float silence = 0.0f + (0.0f + 0.0f) + mix * (0.0f - (0.0f + 0.0f));
        std::fill_n(left, n, silence);
        std::fill_n(right, n, silence);
        return;
    }
    if (!settings.perVoiceFilter) renderShared(settings, kernels, from, n, dry, in);
    // The filter's input counts from 0, as it was added up into silence.
    for (int32_t s = 0; s < n; ++s) {
        const float inLeft = 0.0f + in[0][s], inRight = 0.0f + in[1][s];
        left[s] = dry[0][s] + inLeft + mix * (filtered[0][s] - inLeft);
        right[s] = dry[1][s] + inRight + mix * (filtered[1][s] - inRight);
    }
}
