// The engine's construction, start-up and thread rule, and what a state
// load asks of it afterwards.

#include "plugin/Engine.h"

#include <cassert>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "persistence/Settings.h"
#include "plugin/EngineHold.h"
#include "plugin/ParameterInbox.h"
#include "plugin/PatternModels.h"

namespace {

constexpr int32_t kSilenceBeats = 4;

}  // namespace

Engine::Engine(const Links& links)
    : host(links.host),
      context(links.context),
      models(links.models),
      layers(links.layers),
      inbox(links.inbox),
      requests(links.requests),
      hold(links.hold),
      loader(links.loader),
      learn(links.learn),
      patternEdits(links.patternEdits),
      chain(&context),
      voices(context),
      preparation(context, *this),
      display(links.display, context) {
    voices.attach(handlers());
    longLine.trackedList = &links.trackedBuffers;
    longLine.tracked = true;
    for (TrackedFloatBuffer& line : combLines) {
        line.trackedList = &links.trackedBuffers;
        line.tracked = true;
    }
    setSilenceWindow(static_cast<int32_t>(kSilenceBeats * context.samplesPerBeat));
    silenceThreshold = RenderState::kSilenceThreshold;
    noSilentOpt = getSettingDword("NoSilentOpt") != 0;
    // The lines get their first size here so that the first rate
    // preparation finds them; it sizes them again for the host's rate.
    longLine.reallocateZeroed(static_cast<uint64_t>(44100.0f * context.sampleRateFactor));
    for (TrackedFloatBuffer& line : combLines) {
        line.reallocateZeroed(static_cast<uint64_t>(986.0f * context.sampleRateFactor));
    }
    // The pattern-octave page switch starts half way, in its "on" state.
    engine.patterns.records[Tag::OctavePages].raw = 0.5f;
}

void Engine::start(float sampleRate) {
    checkThread();
    chain.phaser.setSyncMode(BWPhaser::kRate, 1);
    chain.phaser.setParameter(BWPhaser::kStages, 1.0f);
    for (int32_t index = 0; index < ParameterInbox::kSlots; ++index) engine.raw[index] = inbox.value(index);
    prepareSampleRate(sampleRate);
    refreshRunState();
    // Tempo 80 and back: every listener sizes itself for a slow tempo once,
    // so that the render routine's later tempo changes find their buffers
    // large enough; the return to 120 tells nobody.
    context.setTempo(80.0);
    if (context.listeners) context.listeners->notifyTiming();
    context.setTempo(120.0);
}

void Engine::checkThread() const { assert(hold.mayTouchEngine() && "the engine is touched outside the audio side"); }

float Engine::takenValue(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(engine.raw.size()) ? engine.raw[index] : 0.0f;
}

void Engine::presetLoaded(bool counted) {
    checkThread();
    if (counted) engine.sequencer.loadPresetCount += 1.0f;
    passRetrigger();
}

void Engine::silenceMemories() {
    checkThread();
    voices.mix().silenceHolds();
    dcClearPending.store(true, std::memory_order_relaxed);  // the hold's end publishes it
}

VoiceChain::Handlers Engine::handlers() { return {&layers[0], &layers[1], &layers[2]}; }
