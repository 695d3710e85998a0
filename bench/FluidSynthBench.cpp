// Our voices against FluidSynth's (Debian's libfluidsynth, a peer we only
// measure against): the same N voices of the factory instruments, each the
// zone's own 16-bit data looped between its loop points, at the same notes
// and with the same gates (each voice released for 10 ticks in 200), linear
// interpolation, FluidSynth's reverb and chorus off.  Both render in turn,
// 1024 frames at a time, each timed on the thread's CPU clock, so the ratio
// ("ratio": FluidSynth's time over ours, above 1 when ours is faster) comes
// from one run on one load.  With 0 voices both render silence: what each
// costs a frame before any voice sounds; the rest of a run's cost is its
// voices'.
//
// FluidSynth has no kick and no compressor on its bus: with the second
// argument 0 our side sets the kick's level and the compressor's depth to 0
// (both still run, as in a patch that leaves them at 0); with 1 it renders
// the whole bus as the Voices benchmark does.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <vector>

#include "BenchClock.h"
#include "VoiceRig.h"

namespace {

constexpr int kTicksPerTurn = 64;

// One FluidSynth instance playing the rig's zones: a sound font of our own
// (through a loader of our own) whose one preset starts, for a note on
// channel c (the layer) and key k, the sample of the voice that plays it.
class FluidPeer {
public:
    FluidPeer() {
        settings = new_fluid_settings();
        fluid_settings_setnum(settings, "synth.sample-rate", VoiceRig::kRate);
        fluid_settings_setint(settings, "synth.reverb.active", 0);
        fluid_settings_setint(settings, "synth.chorus.active", 0);
        fluid_settings_setint(settings, "synth.polyphony", 64);
        fluid_settings_setint(settings, "synth.cpu-cores", 1);
        synth = new_fluid_synth(settings);
        fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
        fluid_sfloader_t* loader = new_fluid_sfloader(loadFont, delete_fluid_sfloader);
        fluid_sfloader_set_data(loader, this);
        fluid_synth_add_sfloader(synth, loader);
        const int font = fluid_synth_sfload(synth, "zones", 0);
        for (int channel = 0; channel < kLayerCount; ++channel) fluid_synth_program_select(synth, channel, font, 0, 0);
    }
    ~FluidPeer() {
        delete_fluid_synth(synth);  // unloads the font, which frees the preset
        for (fluid_sample_t* sample : samples) delete_fluid_sample(sample);
        delete_fluid_settings(settings);
    }

    // A copy of the zone's data, looped as our voice loops it, for the note
    // on the layer's channel.
    void addVoice(int layer, const BWSampleZone& zone, float note) {
        const BWSampleData& data = zone.getSample();
        fluid_sample_t* sample = new_fluid_sample();
        const auto frames = static_cast<unsigned>(data.getFrames());
        fluid_sample_set_sound_data(sample, const_cast<short*>(data.getLeft()), nullptr, frames,
                                    static_cast<unsigned>(data.getSampleRate()), 1);
        unsigned loopStart = data.getLoopStart(), loopEnd = data.getLoopEnd();
        if (loopStart >= loopEnd || loopEnd > frames) loopStart = 0, loopEnd = frames;
        fluid_sample_set_loop(sample, loopStart, loopEnd);
        fluid_sample_set_pitch(sample, zone.getRootKey(), static_cast<int>(zone.getTune() * 100.0f));
        samples.push_back(sample);
        const int key = static_cast<int>(note);
        byNote[layer][key] = sample;
        voices.push_back({layer, key, false});
    }

    void gate(int voice, bool on) {
        Voice& v = voices[size_t(voice)];
        if (on == v.playing) return;
        v.playing = on;
        if (on)
            fluid_synth_noteon(synth, v.channel, v.key, 100);
        else
            fluid_synth_noteoff(synth, v.channel, v.key);
    }

    int activeVoices() const { return fluid_synth_get_active_voice_count(synth); }

    void render(float* left, float* right, int frames) {
        fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1);
    }

private:
    struct Voice {
        int channel;
        int key;
        bool playing;
    };

    static const char* fontName(fluid_sfont_t*) { return "zones"; }
    static const char* presetName(fluid_preset_t*) { return "zones"; }
    static int presetNumber(fluid_preset_t*) { return 0; }
    static fluid_preset_t* presetOf(fluid_sfont_t* font, int bank, int number) {
        auto* self = static_cast<FluidPeer*>(fluid_sfont_get_data(font));
        return bank == 0 && number == 0 ? self->preset : nullptr;
    }
    static int freeFont(fluid_sfont_t* font) {
        auto* self = static_cast<FluidPeer*>(fluid_sfont_get_data(font));
        delete_fluid_preset(self->preset);
        return delete_fluid_sfont(font);
    }
    static fluid_sfont_t* loadFont(fluid_sfloader_t* loader, const char*) {
        auto* self = static_cast<FluidPeer*>(fluid_sfloader_get_data(loader));
        fluid_sfont_t* font = new_fluid_sfont(fontName, presetOf, nullptr, nullptr, freeFont);
        fluid_sfont_set_data(font, self);
        self->preset = new_fluid_preset(font, presetName, presetNumber, presetNumber, noteOn, delete_fluid_preset);
        fluid_preset_set_data(self->preset, self);
        return font;
    }
    static int noteOn(fluid_preset_t* preset, fluid_synth_t* synth, int channel, int key, int velocity) {
        auto* self = static_cast<FluidPeer*>(fluid_preset_get_data(preset));
        fluid_sample_t* sample = channel < kLayerCount && key >= 0 && key < 128 ? self->byNote[channel][key] : nullptr;
        fluid_voice_t* voice = sample ? fluid_synth_alloc_voice(synth, sample, channel, key, velocity) : nullptr;
        if (!voice) return FLUID_FAILED;
        fluid_voice_gen_set(voice, GEN_SAMPLEMODE, 1);  // loop while held
        fluid_synth_start_voice(synth, voice);
        return FLUID_OK;
    }

    fluid_settings_t* settings;
    fluid_synth_t* synth;
    fluid_preset_t* preset = nullptr;
    std::vector<fluid_sample_t*> samples;
    fluid_sample_t* byNote[kLayerCount][128] = {};
    std::vector<Voice> voices;
};

void VoicesAgainstFluidSynth(benchmark::State& state) {
    const int sounding = static_cast<int>(state.range(0));
    VoiceRig rig(sounding, state.range(1) ? VoiceRig::kWholeBus : VoiceRig::kVoicesAlone);
    if (!rig.ready(state)) return;
    FluidPeer peer;
    for (int k = 0; k < sounding; ++k) {
        if (!rig.zone(k)) {
            state.SkipWithError("a voice found no zone");
            return;
        }
        peer.addVoice(k / kLayerVoices, *rig.zone(k), rig.note(k));
    }
    alignas(16) float left[16], right[16], kick[16];
    int64_t fluidTicks = 0;
    double ours = 0.0, theirs = 0.0;
    for (auto _ : state) {
        double start = threadCpuSeconds();
        for (int t = 0; t < kTicksPerTurn; ++t) rig.tick(left, right, kick);
        benchmark::DoNotOptimize(left);
        double end = threadCpuSeconds();
        ours += end - start;
        start = end;
        for (int t = 0; t < kTicksPerTurn; ++t, ++fluidTicks) {
            for (int k = 0; k < sounding; ++k) {
                const int layer = k / kLayerVoices, v = k % kLayerVoices;
                peer.gate(k, (fluidTicks + 25 * v + 8 * layer) % 200 < 190);
            }
            peer.render(left, right, 16);
        }
        benchmark::DoNotOptimize(left);
        theirs += threadCpuSeconds() - start;
    }
    const double frames = double(state.iterations()) * kTicksPerTurn * 16;
    state.counters["ours_ns_per_frame"] = ours * 1e9 / frames;
    state.counters["fluidsynth_ns_per_frame"] = theirs * 1e9 / frames;
    state.counters["ratio"] = theirs / ours;
    state.counters["fluid_voices"] = peer.activeVoices();
}

}  // namespace

BENCHMARK(VoicesAgainstFluidSynth)
    ->ArgNames({"voices", "bus"})
    ->ArgsProduct({{0, 1, 8, 24}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
