#pragma once
// The voices' part of the render routine put together: three layers of eight
// sample voices, their chain and mix through the filter, the kick, the
// compressor and the soft clip, in the order the engine runs them.  The
// render routine works out the notes, gates and beat position of each tick
// (sequencer, arpeggiator, transport) and the settings from the parameters;
// this runs the DSP.
//
// Per tick: the filter envelopes, then each layer's voice starts and
// rendering (layer 1 first), the layers' amplitude envelopes, the chain and
// filter targets and the kick.  Per span of samples (a tick may be split
// over host blocks): the kick, the layer mix, the compressor and the clip.
//
// prepare allocates (host thread); tick and render are for the audio thread
// and allocate nothing, take no lock and make no virtual call.

#include <array>
#include <cstdint>

#include "engine/Compressor.h"
#include "engine/KickGenerator.h"
#include "engine/VoiceMix.h"

class BWRomplerHandler;

struct VoiceChainSettings {
    VoiceMix::Settings mix;
    std::array<float, kLayerCount> pitchOffset{};  // octave, transpose and master tune, semitones
    std::array<AgeSetting, kLayerCount> age{};
    EnvelopeTimes filterEnvelope;
    CompressorCoefficients compressor;
};

struct VoiceChainTick {
    std::array<VoiceValues, kLayerCount> notes{};
    std::array<VoiceValues, kLayerCount> gates{};
    VoiceValues filterGates{};
    double beatPosition = 0.0;
};

class VoiceChain {
public:
    using Handlers = std::array<BWRomplerHandler*, kLayerCount>;

    explicit VoiceChain(BWSystemInfo& system);
    VoiceChain(const VoiceChain&) = delete;
    VoiceChain& operator=(const VoiceChain&) = delete;

    // Hands each layer's voices to its handler.  Host thread, once.
    void attach(const Handlers& handlers);
    // Sizes the filters' lines for the rate.  Host thread.
    void prepare(float sampleRate);

    void tick(const Handlers& handlers, const VoiceChainTick& input, const VoiceChainSettings& settings);
    // Samples [from, from + n) of the tick: the layer bus into left/right,
    // the kick bus into kick.
    void render(int32_t from, int32_t n, const VoiceChainSettings& settings, float* left, float* right, float* kick);

    VoiceLayer& layer(int index) { return layers[index]; }
    VoiceMix& mix() { return voiceMix; }
    KickGenerator& kick() { return kickGenerator; }
    Compressor& compressor() { return layerCompressor; }

private:
    BWSystemInfo& system;
    std::array<VoiceLayer, kLayerCount> layers;
    std::array<const VoiceLayer*, kLayerCount> layerViews;
    VoiceMix voiceMix;
    KickGenerator kickGenerator;
    Compressor layerCompressor;
};
