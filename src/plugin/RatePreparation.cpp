// The engine's part of the rate and tempo preparation: the delay lines, the
// effects' clears on a new rate, the re-applied parameters, the held-note
// refresh and the run state that follows it.

#include <algorithm>

#include "core/BWSystemInfo.h"
#include "plugin/Engine.h"

namespace {

constexpr int32_t kSilenceBeats = 4;

// Gives a line n samples: new zeroed storage only when it is too small, so a
// preparation at an unchanged rate (the audio thread's, after a tempo
// change) allocates nothing.
void sizeLine(TrackedFloatBuffer& line, uint64_t n) {
    if (line.getCapacity() < n) {
        line.reallocateZeroed(n);
    } else {
        line.resize(n);
    }
}

}  // namespace

void Engine::prepareSampleRate(float rate) {
    checkThread();
    preparation.prepareSampleRate(rate);
    setSilenceWindow(static_cast<int32_t>(kSilenceBeats * context.samplesPerBeat));
}

bool Engine::changeTempo(double bpm) {
    checkThread();
    return preparation.changeTempo(bpm);
}

void Engine::resizeDelayLines(const EngineRateConstants& constants) {
    const uint64_t longLength = static_cast<uint64_t>(std::max(constants.longLineLength, 1));
    sizeLine(longLine, longLength);
    if (static_cast<uint64_t>(longLinePosition) >= longLength) longLinePosition = 0;
    const uint64_t combLength = static_cast<uint64_t>(std::max(constants.shortLineLength, 1));
    // The filter's comb lines, one per channel of the voice chain's filter.
    static_assert(std::tuple_size_v<decltype(combLines)> == LayerFilter::kChannels);
    for (size_t i = 0; i < combLines.size(); ++i) {
        TrackedFloatBuffer& line = combLines[i];
        sizeLine(line, combLength);
        std::fill_n(line.getData(), line.getCapacity(), 0.0f);
        voices.setCombLine(static_cast<int>(i), std::span<float>(line.getData(), line.getSize()));
    }
}

// The effects have prepared themselves (keeping their lines and refreshing
// their tempo values when only the tempo moved).  Only a new rate clears the
// reverser's capture and restarts the phaser's sweep, so echoes and tails
// live through tempo changes.
void Engine::effectsPrepared(bool rateChanged) {
    if (!rateChanged) return;
    voices.prepare(context.sampleRate);
    chain.reverser.clear();
    chain.phaser.clear();
    chain.phaser.reset();
}

void Engine::refreshRunState() {
    SequencerState& s = engine.sequencer;
    const float run = engine.patterns.records[Tag::Clocksource].raw < 0.5f ? s.noteGate : context.playing.load();
    s.heldRun = run;
    if (run != s.lastHeldRun) {
        s.lastHeldRun = run;
        send(Tag::RunSwitch, run);
    }
    s.noteLevel = context.lastVelocity + context.playing;
}

void Engine::refreshHeldNotes() {
    SequencerState& s = engine.sequencer;
    s.noteGate = context.lastVelocity > 0.0f ? 1.0f : 0.0f;
    refreshRunState();
    const float root = static_cast<float>(static_cast<int32_t>(context.lastNote) % 24);
    s.midiKey = root;
    if (root != s.lastMidiKeySeen) {
        s.lastMidiKeySeen = root;
        s.currentKey = root;
    }
    if (s.patternKey != s.lastPatternKeySeen) {
        s.lastPatternKeySeen = s.patternKey;
        s.currentKey = s.patternKey;
    }
    s.effectivePatternKey = s.keyFollow == 0.0f ? s.patternKey : s.currentKey;
    context.sortHeldNotes();
    ++heldNoteSorts;
    refreshRunState();
}
