// Where the sample voices plug into the render routine.  Each tick the kick
// follows the beat clock; after the sequencer's trigger stage the three
// layers' voices start on their passed gates and start notes (the filter
// envelopes first, on the filter's trigger source); after the step lanes,
// which may have moved levels and times, the amplitude envelopes and the
// chain take their targets.  The per-sample part renders the voices' chain,
// the kick and the compressor into the sub-block buffers.
//
// Audio thread: plain copies of the derived parameter values, no
// allocation, no lock.

#include "core/BWSystemInfo.h"
#include "plugin/Engine.h"

void Engine::tickKick() {
    KickGenerator& kick = voices.kick();
    kick.setLevel(engine.raw[Tag::KickLevel]);
    kick.setTone(engine.raw[Tag::KickTone]);
    voiceTick.beatPosition = render.beatPosition;
    voices.tickKick(render.beatPosition);
}

// The derived engine values, as the voice chain takes them; read before the
// voices start and again after the step lanes when these set parameters.
// They move only when a parameter is applied, so a tick with none applied
// keeps the last read.
void Engine::refreshVoiceSettings() {
    if (!voiceSettingsStale) return;
    voiceSettingsStale = false;
    readVoiceSettings();
}

void Engine::readVoiceSettings() {
    VoiceChainSettings& s = voiceSettings;
    for (int i = 0; i < kSoundLayers; ++i) {
        const LayerState& layer = engine.layers[i];
        LayerMixSettings& mix = s.mix.layers[i];
        mix.soundOn = layer.soundSwitch.stepIndex == 1;
        mix.crush = engine.raw[Tag::Osc1Polycrush + Tag::LayerStride * i];
        mix.level = layer.outputGain;
        mix.pan = engine.raw[Tag::Osc1Pan + Tag::LayerStride * i];
        mix.routed = engine.patterns.records[Tag::AssignOsc1 + i].stepIndex == 1;
        mix.envelope = {layer.attackMs, layer.decayMs, layer.sustain, layer.releaseMs};
        s.pitchOffset[i] = layer.pitchOffset;
        s.age[i] = {layer.ageAmount, layer.ageDepth};
    }
    const FilterState& f = engine.filter;
    s.mix.perVoiceFilter = f.voiceMode.stepIndex == 1;
    s.mix.mix = f.mix;
    s.mix.filter = f.settings;
    s.filterEnvelope = {f.attackMs, f.decayMs, f.sustain, f.releaseMs};
    s.compressor = engine.output.compressor;
}

void Engine::startVoices() {
    refreshVoiceSettings();
    for (int i = 0; i < kSoundLayers; ++i) {
        const LayerTriggerStage& stage = sequencer.layers[i];
        voiceTick.notes[i] = stage.startNotes;  // whole arrays: copied in place, not through a call
        voiceTick.gates[i] = stage.passed;
    }
    const float* filterGates = engine.filter.trigger;
    for (int v = 0; v < kLayerVoices; ++v) voiceTick.filterGates[v] = filterGates ? filterGates[v] : 0.0f;
    voices.startVoices(handlers(), voiceTick, voiceSettings);
}

void Engine::tickVoiceChain() {
    refreshVoiceSettings();
    voices.tickChain(voiceTick, voiceSettings);
}

void Engine::renderVoices(int32_t from, int32_t n) {
    RenderState& r = render;
    voices.render(context.tickSamples, n, voiceSettings, r.mainLeft.data() + from, r.mainRight.data() + from,
                  r.kick.data() + from);
}
