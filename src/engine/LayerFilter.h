#pragma once
// The filter of the layer mix with its envelopes: one stereo filter for the
// summed layers (shared mode) and eight stereo lanes, one per voice index
// (per-voice mode).  The shared envelope is gated by the sum of the eight
// filter gates, each lane's by its own; the filter follows each envelope
// through a 3 ms glide.  With invert on, every right channel sweeps against
// its left: its position is cut + (peak − cut) × (1 − e).
//
// The comb lines come from the engine's owner (setCombLine); prepare and
// setCombLine are for the host thread, the ticks for the audio thread.

#include <array>
#include <span>

#include "engine/Envelope.h"
#include "engine/FilterChannel.h"
#include "engine/LinearGlide.h"
#include "engine/VoiceLayer.h"

class LayerFilter {
public:
    // The shared pair (0 left, 1 right), then each lane's left and right:
    // lane v's channel c is 2 + 2 v + c.
    static constexpr int kChannels = 2 + 2 * kLayerVoices;

    void prepare(float sampleRate);
    void setCombLine(int channel, std::span<float> storage);
    void clear();

    // Before the voices start: the shared envelope, then the lanes'.
    void tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs);
    // The coefficients of the channels that filter in this mode (the shared
    // pair, or the eight lanes) for this tick.
    void tickCoefficients(const FilterSettings& settings, bool perVoice, BWSystemInfo& system);

    // The lanes' inputs by channel and sample, the eight lanes side by side,
    // so that a sample of all lanes is one contiguous row.
    using LaneInputs = float[2][kEngineTick][kLayerVoices];

    // Filters n samples of each lane's two channels and adds the results up
    // per channel into sums (which it overwrites).
    void processLanes(const LaneInputs& in, float (&sums)[2][kEngineTick], int32_t n, FilterType type);

    FilterChannel& shared(int channel) { return sharedChannels[channel]; }
    FilterChannel& lane(int voice, int channel) { return lanes[voice][channel]; }
    float sharedEnvelope() const { return sharedGlide.value; }
    float laneEnvelope(int voice) const { return laneGlides[voice].value; }
    // Every envelope and its glide holds still until its gate moves.
    bool envelopesSteady() const;

private:
    void processCores(const LaneInputs& in, float (&sums)[2][kEngineTick], int32_t n, FilterType type);
    void tickPair(std::array<FilterChannel, 2>& pair, float envelope, const FilterSettings& settings,
                  BWSystemInfo& system);

    std::array<FilterChannel, 2> sharedChannels;
    std::array<std::array<FilterChannel, 2>, kLayerVoices> lanes;
    Envelope sharedEnvelopeState;
    std::array<Envelope, kLayerVoices> laneEnvelopes;
    LinearGlide sharedGlide;
    std::array<LinearGlide, kLayerVoices> laneGlides;
    float glideTicks = 0.0f;
};
