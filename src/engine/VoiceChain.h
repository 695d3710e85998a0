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
// The filter's comb lines are the owner's (setCombLine).  attach, prepare
// and setCombLine are for the host thread; the ticks and render for the
// audio thread, which allocate nothing, take no lock and make no virtual
// call per sample.

#include <array>
#include <cstddef>
#include <span>
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
    // Clears the filters and sets their rate.  Host thread.
    void prepare(float sampleRate);
    // The comb line of filter channel `channel` (LayerFilter::kChannels).
    void setCombLine(int channel, std::span<float> storage) { voiceMix.getFilter().setCombLine(channel, storage); }

    // A whole tick: startVoices, tickChain, tickKick.
    void tick(const Handlers& handlers, const VoiceChainTick& input, const VoiceChainSettings& settings);
    // Each layer's notes and read steps, the filter envelopes, then each
    // layer's voice starts and reads.
    void startVoices(const Handlers& handlers, const VoiceChainTick& input, const VoiceChainSettings& settings);
    // The layers' amplitude envelopes and the chain and filter targets.
    void tickChain(const VoiceChainTick& input, const VoiceChainSettings& settings);
    // The kick's envelopes and pitch for the beat position.
    void tickKick(double beatPosition) { kickGenerator.tick(beatPosition, system); }
    // Samples [from, from + n) of the tick: the layer bus into left/right,
    // the kick bus into kick.
    void render(int32_t from, int32_t n, const VoiceChainSettings& settings, float* left, float* right, float* kick);

    // Lets go of the samples the voices hold open (VoiceLayer::releaseSamples):
    // the audio thread when its ticks stop looking at the voices, or a thread
    // that holds the engine, on the audio side's behalf.
    void releaseSamples() {
        for (VoiceLayer& layer : layers) layer.releaseSamples();
    }

    // Since the last tickChain no voice has been changing its level (nor
    // playing a sample to its end), and no filter envelope its own: with the
    // outputs muted, the voices may stand still until a gate moves.
    bool isSteady() const;

    VoiceLayer& layer(int index) { return layers[index]; }
    const VoiceLayer& layer(int index) const { return layers[index]; }
    VoiceMix& mix() { return voiceMix; }
    KickGenerator& kick() { return kickGenerator; }
    Compressor& compressor() { return layerCompressor; }
    const Compressor& compressor() const { return layerCompressor; }

    // The voices' running state (the layers', the mix and its filters, the
    // kick, the compressor) as a copy, and its return; see
    // VoiceLayer::Running.  Host thread, with no tick in progress.
    struct Running {
        std::array<VoiceLayer::Running, kLayerCount> layers;
        std::array<std::byte, sizeof(VoiceMix)> mix;  // trivially copyable, but without assignment
        KickGenerator kick;
        Compressor compressor;
    };
    Running running() const;
    void restore(const Running& saved);

private:
    BWSystemInfo& system;
    std::array<VoiceLayer, kLayerCount> layers;
    std::array<const VoiceLayer*, kLayerCount> layerViews;
    VoiceMix voiceMix;
    KickGenerator kickGenerator;
    Compressor layerCompressor;
};
