#include "plugin/DisplayPublisher.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/BWSystemInfo.h"
#include "core/SharedFloat.h"
#include "plugin/DisplayBlock.h"
#include "plugin/Engine.h"

namespace {

constexpr float kLastCell = 31.0f;        // the lanes show 32 steps
constexpr float kHostClockThreshold = 1.02f;
constexpr float kKeyViewShift = 12.0f;
constexpr float kAccent = 0.9f;           // a step's strike at or above this is accented
constexpr float kSpriteRow = 7.0f;        // rows of the marker sheet: note, accent, tie, glide
constexpr float kDimmest = 80.0f;         // a voice at the least level still shows
enum SpriteRow { kNoteRow = 0, kAccentRow, kTieRow, kGlideRow };

// The layer the markers follow: the first one switched on.
int leadLayer(const EngineState& state) {
    for (int layer = 0; layer < kSoundLayers; ++layer)
        if (state.layers[static_cast<size_t>(layer)].soundSwitch.stepIndex == 1) return layer;
    return 0;
}

// How far x stands past its whole step.  From 0 up to where doubles hold no
// fraction truncation is the floor, and a conversion to a whole number
// costs a few instructions where the library's floor costs a call.
double fractionOf(double x) {
    constexpr double kNoFraction = 4503599627370496.0;  // 2^52
    const double whole = x >= 0.0 && x < kNoFraction ? static_cast<double>(static_cast<int64_t>(x)) : std::floor(x);
    return x - whole;
}

}  // namespace

void DisplayPublisher::publishPeaks(float left, float right) {
    storeShared(block.peakLeft, left);
    storeShared(block.peakRight, right);
}

void DisplayPublisher::publish(const Engine& engine, float octave, float tie) {
    const RenderState& r = engine.renderState();
    if (r.silent) return publishRest();
    resting = false;
    DisplayBlock& b = block;
    const SequencerRuntime& s = engine.sequencerState();
    const EngineState& state = engine.state();

    // The clock the sequencer follows, and its ramp: 1 while it runs.
    const bool hostClock = state.patterns.records[Tag::Clocksource].step + r.transportRamp >= kHostClockThreshold;
    const float ramp = std::clamp(hostClock ? r.transportRamp : s.ownClockRamp, 0.0f, 1.0f);
    const double position = hostClock ? s.hostStepPosition : s.ownStepPosition;
    storeShared(b.source, static_cast<float>(fractionOf(position)));
    storeShared(b.counter1, std::clamp(static_cast<float>(s.stepIndex), 0.0f, kLastCell));
    storeShared(b.counter2, std::clamp(static_cast<float>(s.chordStepIndex), 0.0f, kLastCell));
    storeShared(b.playBarAlpha, 255.0f * ramp);
    storeShared(b.pageImageAlpha, 255.0f * ramp);

    // The beat clock's gate changes on every beat (the kick restarts there).
    const float ticksPerBeat = context.ticksPerBeatF.load();
    beatLight = r.kickRestart != 0.0f ? 1.0f : std::max(0.0f, beatLight - 2.0f / std::max(ticksPerBeat, 1.0f));
    storeShared(b.beatIndicator, beatLight);
    storeShared(b.compressorReduction, engine.voiceChain().compressor().getReduction());

    const SequencerState& sequencer = state.sequencer;
    const bool fromKeys = sequencer.chordMode.stepIndex == 2;
    storeShared(b.chordNumber, ramp > 0.0f && !fromKeys ? sequencer.manualChord + 1.0f : 0.0f);
    storeShared(b.shift, kKeyViewShift);
    storeShared(b.shiftDisable, fromKeys ? 0.0f : 1.0f);
    publishKeys();
    publishVoices(engine, octave, tie, ramp > 0.0f);
}

static_assert(BWSystemInfo::kChordSize >= kSequencerVoices);

// Written when a key moved, and always again after a rest.
void DisplayPublisher::publishKeys() {
    HeldKeys keys;
    std::copy_n(context.shiftedNotes.begin(), kSequencerVoices, keys.notes.begin());
    std::copy_n(context.sortedVelocities.begin(), kSequencerVoices, keys.velocities.begin());
    if (keysPublished && sameBits(keys, keysShown)) return;
    keysShown = keys;
    keysPublished = true;
    DisplayBlock& b = block;
    for (size_t i = 0; i < kSequencerVoices; ++i) {
        storeShared(b.positions2[i], keys.notes[i]);
        storeShared(b.activity2[i], keys.velocities[i]);
    }
}

// One marker per sequencer voice of the lead layer, where its note sounds
// and as bright as it sounds; its sprite tells what the step does to it.
// The markers move only when a voice starts or ends, or the step changes
// what it does: between, a tick passes them over.  Their arrays are copied
// and compared only in a tick after the sequencer wrote to them; in most
// ticks the settings alone are compared.
void DisplayPublisher::publishVoices(const Engine& engine, float octave, float tie, bool sounding) {
    const SequencerRuntime& s = engine.sequencerState();
    const EngineState& state = engine.state();
    MarkerSettings now;
    now.lead = leadLayer(state);
    now.octave = octave;
    now.tied = tie > 0.0f && state.patterns.records[Tag::TieOsc1 + now.lead].stepIndex == 1;
    now.gliding = s.glideTicks > 0.0f;
    now.strike = s.triggerValue >= kAccent ? kAccentRow : kNoteRow;
    now.sounding = sounding;
    const bool arraysStand = markersPublished && markerShortcut && s.markerEdits == markerEditsSeen;
    if (arraysStand && sameBits(now, published.settings)) return;
    markerEditsSeen = s.markerEdits;
    MarkerInputs in;
    const LayerTriggerStage& t = s.layers[static_cast<size_t>(now.lead)];
    in.lastValue = t.lastValue;
    in.passed = t.passed;
    in.startNotes = t.startNotes;
    in.arpGates = s.arpGates;
    in.settings = now;
    if (markersPublished && sameBits(in, published)) return;
    published = in;
    markersPublished = true;
    publishMarkers(in);
}

void DisplayPublisher::publishMarkers(const MarkerInputs& in) {
    DisplayBlock& b = block;
    const MarkerSettings& m = in.settings;
    bool shown = false;
    for (size_t i = 0; i < 8; ++i) {
        const bool on = m.sounding && in.lastValue[i] > 0.0f;
        shown = shown || on;
        const int32_t row = m.gliding && in.arpGates[i] > 0.0f ? kGlideRow : m.tied ? kTieRow : m.strike;
        storeShared(b.positions[i], in.startNotes[i]);
        storeShared(b.activity[i], on ? in.passed[i] : 0.0f);
        storeShared(b.objectAlpha[i],
                    on ? kDimmest + (255.0f - kDimmest) * std::clamp(in.passed[i], 0.0f, 1.0f) : 0.0f);
        storeShared(b.objectSpriteY[i], kSpriteRow * static_cast<float>(row));
    }
    storeShared(b.offset, 12.0f * m.octave);
    storeShared(b.markerDisable, shown ? 0.0f : 1.0f);
    storeShared(b.objectCount, 8.0f);
}

// Everything the indicators show goes out; the counters go back to the
// first step.  Written once when the engine comes to rest.
void DisplayPublisher::publishRest() {
    if (resting) return;
    resting = true;
    markersPublished = false;
    keysPublished = false;
    beatLight = 0.0f;
    DisplayBlock& b = block;
    for (float* value : {&b.source, &b.counter1, &b.counter2, &b.offset, &b.playBarAlpha, &b.pageImageAlpha,
                         &b.beatIndicator, &b.compressorReduction, &b.chordNumber, &b.objectCount})
        storeShared(*value, 0.0f);
    storeShared(b.markerDisable, 1.0f);
    for (DisplayBlock::Eight* group : {&b.positions, &b.activity, &b.positions2, &b.activity2, &b.objectAlpha,
                                       &b.objectSpriteY})
        for (float& value : *group) storeShared(value, 0.0f);
}
