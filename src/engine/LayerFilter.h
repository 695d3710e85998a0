#pragma once
// The filter of the layer mix with its envelopes: one stereo filter for the
// summed layers (shared mode) and eight stereo lanes, one per voice index
// (per-voice mode).  The shared envelope is gated by the sum of the eight
// filter gates, each lane's by its own; the filter follows each envelope
// through a 3 ms glide.  With invert on, every right channel sweeps against
// its left: its position is cut + (peak − cut) × (1 − e).
//
// The eight lanes of a channel are worked on at once (VoiceKernels): their
// envelopes, glides, drifts and coefficients once a tick (a lane whose
// cutoff, resonance and type did not move keeps its coefficients), their
// cores a sample at a time.  Lanes that nothing reaches and that have rung
// out rest.  Each lane's comb is its own (CombFilter); the combs' ticks
// are passed over while none glides, none is asked for a new delay and
// their feedback stands.
//
// The comb lines come from the engine's owner (setCombLine); prepare and
// setCombLine are for the host thread, the ticks for the audio thread.

#include <array>
#include <span>

#include "engine/CombFilter.h"
#include "engine/Envelope.h"
#include "engine/FilterChannel.h"
#include "engine/LinearGlide.h"
#include "engine/VoiceLanes.h"
#include "engine/VoiceLayer.h"

class LayerFilter {
public:
    // The shared pair (0 left, 1 right), then each lane's left and right:
    // lane v's channel c is 2 + 2 v + c.
    static constexpr int kChannels = 2 + 2 * kLayerVoices;

    LayerFilter();

    void prepare(float sampleRate);
    void setCombLine(int channel, std::span<float> storage);
    void clear();

    // Before the voices start: the shared envelope, then the lanes'.
    void tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs);
    // The coefficients of the channels that filter in this mode (the shared
    // pair, or the eight lanes) for this tick.  lanesFed false: no voice can
    // reach the lanes in this tick's spans, so lanes that rest unfed keep
    // their drift moving and leave their cutoffs until they are fed again.
    void tickCoefficients(const FilterSettings& settings, bool perVoice, BWSystemInfo& system, bool lanesFed = true);

    // Filters n samples of each lane's two channels and adds the results up
    // per channel into sums, and the lanes' inputs into inputs (both
    // overwritten).  quiet: every input is 0.
    void processLanes(const voicelanes::LaneRows (&in)[2], float (&sums)[2][kEngineTick],
                      float (&inputs)[2][kEngineTick], int32_t n, FilterType type, bool quiet);

    // Lanes of this type that nothing reaches give silence and stay as
    // they are: cores (not the band reject's second pair, nor the combs)
    // that hold nothing.
    bool restsUnfed(FilterType type);

    // The voices' mix (VoiceKernels::mixPerVoice, into dry) and
    // processLanes of what it gives in one pass, for a span that a layer
    // through the filter reaches and a type other than the comb.
    static bool mixesThroughCores(FilterType type) { return type != FilterType::Comb; }
    void mixThroughCores(voicelanes::LayerMix* const* mixes, const voicelanes::LayerRole* roles, int32_t from,
                         int32_t n, FilterType type, float (&sums)[2][kEngineTick], float (&inputs)[2][kEngineTick],
                         float (&dry)[2][kEngineTick]);

    FilterChannel& shared(int channel) { return sharedChannels[channel]; }
    float laneFrequency(int voice, int channel) const { return lanes[channel].frequency[voice]; }
    float laneCombDelay(int voice, int channel) const { return combs[voice][channel].getDelay(); }
    float sharedEnvelope() const { return sharedGlide.value; }
    float laneEnvelope(int voice) const { return laneGlides.value[voice]; }
    // Every envelope and its glide holds still until its gate moves.
    bool envelopesSteady() const;

private:
    void tickPair(std::array<FilterChannel, 2>& pair, float envelope, const FilterSettings& settings,
                  BWSystemInfo& system);
    void tickLanes(const FilterSettings& settings, BWSystemInfo& system, bool lanesFed);
    void tickCombs(const FilterSettings& settings, const uint32_t (&moved)[2], BWSystemInfo& system);
    void takeCoefficients(const voicelanes::VoiceKernels& kernels);
    void processCombs(const voicelanes::LaneRows (&in)[2], float (&sums)[2][kEngineTick], int32_t n);
    // The cores hold nothing: with no input they give silence and stay so.
    bool lanesAtRest();

    std::array<FilterChannel, 2> sharedChannels;
    voicelanes::SvfLanes lanes[2]{};  // left, right
    std::array<std::array<CombFilter, 2>, kLayerVoices> combs;
    Envelope sharedEnvelopeState;
    voicelanes::Envelopes laneEnvelopes{};
    bool laneEnvelopesStill = true;  // all eight held still after their last tick
    LinearGlide sharedGlide;
    voicelanes::Glides laneGlides{};
    float glideTicks = 0.0f;
    float laneGlideTicks = -1.0f;  // the glide time the lanes' glides last took
    // Lanes whose cutoff moved since their coefficients were worked out (as
    // bits, left and right), and the resonance row, type and rate they stand
    // at.
    uint32_t pending[2] = {0, 0};
    float pendingRow = 0.0f;
    int32_t pendingType = 0;
    float pendingRate = 44100.0f;
    // What the combs last ticked with: their feedback's bits (a fresh
    // comb's is 0), and whether one of them was still gliding.
    uint32_t combFeedbackBits = 0;
    bool combsGliding = false;
    // The cores held nothing when last looked at and have not run since:
    // a resting filter is not looked at again tick after tick.
    bool coresEmpty = true;
};
