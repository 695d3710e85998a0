#include "engine/VoiceChain.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "core/BWSystemInfo.h"
#include "engine/BWRomplerHandler.h"

VoiceChain::VoiceChain(BWSystemInfo& system)
    : system(system),
      layers{VoiceLayer(system), VoiceLayer(system), VoiceLayer(system)},
      layerViews{&layers[0], &layers[1], &layers[2]},
      voiceMix(system) {}

void VoiceChain::attach(const Handlers& handlers) {
    for (int i = 0; i < kLayerCount; ++i) layers[i].attachTo(*handlers[i]);
}

void VoiceChain::prepare(float sampleRate) { voiceMix.prepare(sampleRate); }

void VoiceChain::tick(const Handlers& handlers, const VoiceChainTick& input, const VoiceChainSettings& settings) {
    startVoices(handlers, input, settings);
    tickChain(input, settings);
    tickKick(input.beatPosition);
}

void VoiceChain::startVoices(const Handlers& handlers, const VoiceChainTick& input,
                             const VoiceChainSettings& settings) {
    for (int i = 0; i < kLayerCount; ++i)
        layers[i].followNotes(input.notes[i], input.gates[i], settings.pitchOffset[i], settings.age[i]);
    // The filter's envelopes between, where they run beside the read steps'
    // chains (they take nothing from the layers).
    voiceMix.getFilter().tickEnvelopes(input.filterGates, settings.filterEnvelope, system.samplesPerMsPerTick);
    for (int i = 0; i < kLayerCount; ++i) layers[i].playTick(*handlers[i]);
}

void VoiceChain::tickChain(const VoiceChainTick& input, const VoiceChainSettings& settings) {
    const float ticksPerMs = system.samplesPerMsPerTick;
    for (int i = 0; i < kLayerCount; ++i)
        voiceMix.chain(i).tickEnvelopes(input.gates[i], settings.mix.layers[i].envelope, ticksPerMs);
    voiceMix.tick(layerViews, settings.mix);
}

bool VoiceChain::isSteady() const {
    if (!voiceMix.getFilter().envelopesSteady()) return false;
    for (int i = 0; i < kLayerCount; ++i)
        if (!voiceMix.chain(i).isSteady(layers[i])) return false;
    return true;
}

void VoiceChain::render(int32_t from, int32_t n, const VoiceChainSettings& settings, float* left, float* right,
                        float* kick) {
    from = std::clamp(from, 0, kEngineTick);
    n = std::clamp(n, 0, kEngineTick - from);
    kickGenerator.render(kick, n, system);
    voiceMix.render(layerViews, settings.mix, from, n, left, right);
    layerCompressor.process(left, right, kick, n, settings.compressor);
}

VoiceChain::Running VoiceChain::running() const {
    static_assert(std::is_trivially_copyable_v<VoiceMix>);
    Running saved{{layers[0].running(), layers[1].running(), layers[2].running()}, {}, kickGenerator, layerCompressor};
    std::memcpy(saved.mix.data(), &voiceMix, sizeof(VoiceMix));
    return saved;
}

void VoiceChain::restore(const Running& saved) {
    for (int i = 0; i < kLayerCount; ++i) layers[i].restore(saved.layers[i]);
    std::memcpy(static_cast<void*>(&voiceMix), saved.mix.data(), sizeof(VoiceMix));
    kickGenerator = saved.kick;
    layerCompressor = saved.compressor;
}
