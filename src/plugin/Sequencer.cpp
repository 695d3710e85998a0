// The sequencer, once per control tick: the step clock (the host's or its
// own), clock division, swing, loops, the chord sequence, retriggers, the
// chord, the arpeggio walk, each layer's trigger stage and the notes sent to
// the host.  Audio thread; fixed arrays only.
//
// Where the patterns live: the chord-sequence table is the first paged
// table (a chord number per step, a page per pattern), the velocity table
// the gate table (a page per pattern), the chord cells the paged table the
// chord selection pages through (48 semitone cells per chord); the event
// types, arpeggio, octave, tie and glide values are the five step grids in
// that order, one line per pattern.

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "core/SharedFloat.h"
#include "plugin/Engine.h"
#include "plugin/PatternModels.h"

namespace {

constexpr float kToggleLow = 0.99999899f;
constexpr int32_t kPatterns = 24;
constexpr double kOwnClockSteps = 256.0;
constexpr float kHostClockThreshold = 1.02f;
constexpr int32_t kChordsFromKeys = 2;  // the chord mode step that takes the held notes

enum Grid { kEventGrid = 0, kArpGrid, kOctaveGrid, kTieGrid, kGlideGrid };
enum Direction { kUp = 0, kHold = 1, kDown = 2 };

float flip(float toggle) { return toggle == 1.0f ? kToggleLow : 1.0f; }

// A whole number from a pattern value, held to lo..hi (NaN reads as lo), so
// that whatever a stored pattern holds converts without overflow.
int32_t wholeIn(float x, int32_t lo, int32_t hi) {
    if (!(x > static_cast<float>(lo))) return lo;
    if (!(x < static_cast<float>(hi))) return hi;
    return static_cast<int32_t>(x);
}

// A root of a value too small to be a normal float is 0, as a flushed
// operand would make it.
float root(float x) { return std::fabs(x) < FLT_MIN ? 0.0f : std::sqrt(x); }

// Each voice of a pair keeps its last note above 0; its gate follows at once.
// Four voices a step, so that they go together.  Answers whether the pair
// moved.
bool fillPair(NoteGatePair& pair, const SequencerVoices& notes, const SequencerVoices& gates) {
    static_assert(kSequencerVoices % 4 == 0);
    NoteGatePair next;
    for (int i = 0; i < kSequencerVoices; i += 4) {
        const Float4 note = load4(&notes[i]);
        store4(&next.notes[i], note > 0.0f ? note : load4(&pair.notes[i]));
    }
    next.gates = gates;
    if (sameBits(next, pair)) return false;
    pair = next;
    return true;
}

}  // namespace

void Engine::readStepLines() {
    const SequencerRuntime& s = sequencer;
    for (int g = 0; g < PatternModels::kStepLines; ++g) {
        const float v = models.stepLines[g].getStepOnLine(static_cast<uint64_t>(s.activePattern),
                                                          static_cast<uint64_t>(s.stepIndex));
        patternReads.stepLines[g] = v == v ? v : 0.0f;
    }
}

// The step clock, the pattern and the chord sequence: what keeps the phrase
// in time even while nothing sounds.
void Engine::sequencerClock() {
    runClocks();
    swingAndLoop();
    selectPattern();
    followChordSequence();
}

PatternEditCounts Engine::patternEditCounts() const {
    return {context.tableEdits.load(std::memory_order_acquire), context.gridEdits.load(std::memory_order_acquire),
            context.zoneEdits.load(std::memory_order_acquire)};
}

void Engine::sequencerTick() {
    patternReads.noteEdits(patternEditCounts());
    sequencerClock();
    stepRetriggers(stepLine(kEventGrid));
    buildChord();
    const float arp = stepLine(kArpGrid);
    restartArpeggio(arp);
    triggerValue();
    walkArpeggio(arp, stepLine(kGlideGrid));
    fillPairs(arp);
    // Last, so that a parameter the sequencer sent itself counts in this tick.
    sequencer.settingsMoved = patternReads.take(PatternReads::kSettings);
}

void Engine::runClocks() {
    SequencerRuntime& s = sequencer;
    const SequencerState& p = engine.sequencer;
    const float run = engine.patterns.records[Tag::RunSwitch].step;
    if (run > 0.0f) {
        s.ownClockRamp = 1.0f;
        s.ownClockStep = 0.0f;
    } else if (s.ownClockRamp > 0.0f) {
        if (s.ownClockStep == 0.0f) {
            s.ownClockStep = s.ownClockRamp / (context.samplesPerMsPerTick * engine.output.masterReleaseMs + 1e-18f);
        }
        s.ownClockRamp -= s.ownClockStep;
        if (s.ownClockRamp <= 0.0f) s.ownClockRamp = s.ownClockStep = 0.0f;
    }

    s.startPulse = s.lastRunState == 0.0f && run > 0.0f ? 1.0f : 0.0f;
    s.lastRunState = run;
    if (s.startPulse != s.lastStartPulse) s.restartTrigger = s.lastStartPulse = s.startPulse;
    if (p.loadPresetCount != s.lastLoadCount) s.restartTrigger = s.lastLoadCount = p.loadPresetCount;
    if (s.restartTrigger != s.lastRestartTrigger) {
        s.lastRestartTrigger = s.restartTrigger;
        s.ownStepPosition = 0.0;
        render.beatCounter = 0.0;
    }

    if (context.playing == 1.0f) s.hostStepPosition = p.stepDivisor * context.positionBeats;
    if (s.ownClockRamp > 0.0f) {
        s.ownStepPosition += p.stepsPerTick;
        if (s.ownStepPosition >= kOwnClockSteps) s.ownStepPosition = 0.0;
    }
    const bool hostClock = engine.patterns.records[Tag::Clocksource].step + render.transportRamp >= kHostClockThreshold;
    const double position = hostClock ? s.hostStepPosition : s.ownStepPosition;
    s.stepCounter = position > 0.0 ? static_cast<int64_t>(position) : 0;
}

// The counter goes through the swing line; odd steps take it delayed.  A
// delay longer than the line is held at the line's length.
void Engine::swingAndLoop() {
    SequencerRuntime& s = sequencer;
    const SequencerState& p = engine.sequencer;
    constexpr int32_t capacity = SequencerRuntime::kSwingCapacity;
    s.swingLine[s.swingWrite] = static_cast<float>(s.stepCounter);
    s.swungStep = p.swingAmount > 0.0f && (s.stepCounter & 1) != 0;
    // The line is written every tick and read only for a swung step.
    if (s.swungStep) {
        const double delay = std::clamp(p.swingDelayTicks, 0.0, static_cast<double>(capacity - 2));
        double read = s.swingWrite - delay;
        if (read < 0.0) read += capacity;
        const int32_t i0 = std::min(static_cast<int32_t>(read), capacity - 1);
        const int32_t i1 = (i0 + 1) % capacity;
        const float frac = static_cast<float>(read - i0);
        const float swung = s.swingLine[i0] + (s.swingLine[i1] - s.swingLine[i0]) * frac;
        s.usedCounter = static_cast<double>(swung);
    } else {
        s.usedCounter = static_cast<double>(s.stepCounter);
    }
    s.swingWrite = (s.swingWrite + 1) % capacity;

    PatternReads& reads = patternReads;
    if (reads.take(PatternReads::kLoop)) reads.haveLoop = models.zones.audioLoopRange(reads.loopStart, reads.loopEnd);
    if (reads.haveLoop) {
        s.loopFirst = std::max(0, static_cast<int32_t>(reads.loopStart));
        s.loopLast = static_cast<int32_t>(reads.loopEnd);
    }
    // A loop whose last step lies before its first plays its first step.
    const int64_t length = std::max<int64_t>(1, s.loopLast - s.loopFirst + 1);
    const int64_t used = s.usedCounter > 0.0 ? static_cast<int64_t>(s.usedCounter) : 0;
    const float divisor = p.chordSequenceDivisor > 0.0f ? p.chordSequenceDivisor : 1.0f;
    // The counters move once a step: the divisions run only then.
    StepPlace& place = s.place;
    if (used != place.used || s.stepCounter != place.counter || length != place.length || divisor != place.divisor) {
        place = {used, s.stepCounter, length, divisor};
        place.step = static_cast<int32_t>(used % length);
        const int64_t chordStep = static_cast<int64_t>(static_cast<double>(s.stepCounter) / divisor);
        place.chordStep = static_cast<int32_t>(chordStep % length);
    }
    s.stepIndex = place.step + s.loopFirst;
    s.chordStepIndex = place.chordStep + s.loopFirst;
    storeShared(engine.patterns.loopStart, static_cast<float>(s.loopFirst));
    storeShared(engine.patterns.loopEnd, static_cast<float>(s.loopFirst + length));
}

// The pattern follows the key; a preset load sets it to 0 for one tick's
// pulse, until the key changes again.
void Engine::selectPattern() {
    SequencerRuntime& s = sequencer;
    const SequencerState& p = engine.sequencer;
    if (p.effectivePatternKey != s.lastPatternSeen) s.activePattern = s.lastPatternSeen = p.effectivePatternKey;
    const bool loaded = p.loadPresetCount != s.lastLoadCountSeen && p.loadPresetCount != 0.0f;
    s.lastLoadCountSeen = p.loadPresetCount;
    s.loadPulseSource = loaded ? 0.01f : 0.0f;
    if (s.loadPulseSource != s.lastLoadPulseSource) s.activePattern = s.lastLoadPulseSource = s.loadPulseSource;
    s.activePattern = static_cast<float>(wholeIn(s.activePattern, 0, kPatterns - 1));
    patternReads.moveTo(static_cast<int32_t>(s.activePattern), s.stepIndex, s.chordStepIndex);
    engine.patterns.gateTablePage = s.activePattern;
}

// The chord and velocity tables follow the pattern: each read selects its
// page first.
void Engine::followChordSequence() {
    SequencerRuntime& s = sequencer;
    PatternReads& reads = patternReads;
    if (reads.take(PatternReads::kChord)) {
        reads.chord = models.chordTable.selectPageAndGetValue(static_cast<uint64_t>(s.activePattern),
                                                              static_cast<uint64_t>(s.chordStepIndex));
    }
    s.chord = reads.chord;
    const float q = engine.sequencer.chordMode.stepIndex == 0 ? s.chord / 15.0f : 0.0f;
    if (q == s.lastChordSent) return;
    s.lastChordSent = q;
    send(Tag::ManualChordSel, q);
}

void Engine::stepRetriggers(float v) {
    SequencerRuntime& s = sequencer;
    const SequencerState& p = engine.sequencer;
    const int32_t type = wholeIn(v, 0, 3);
    float rate = type == 0 ? 0.0f : static_cast<float>(type + 1) * p.stepsPerTickF;
    const float limit = static_cast<float>(type + 1);
    if (s.swungStep) rate = p.swingAmount * p.swingAmount * rate * 5.0f;
    if (s.retriggerPhase == 0.0f && s.stepIndex != s.doneStep) {
        s.retriggerPhase = rate;
    } else {
        s.retriggerPhase += rate;
    }
    if (s.retriggerPhase >= limit) {
        s.doneStep = s.stepIndex;
        s.retriggerPhase = 0.0f;
    }
    const int32_t index = v > 0.0f ? static_cast<int32_t>(s.retriggerPhase + 1.0f) : 0;
    if (index != s.retriggerIndex) {
        s.retriggerIndex = index;
        if (index > 0) s.retriggerRandom = context.nextRandomValue();
    }
    if (p.noteLevel != s.lastGateSum) {
        s.lastGateSum = p.noteLevel;
        s.gateSumRandom = context.nextRandomValue();
    }
}

// The chord cells are visited in ascending order, so the chord comes out
// sorted.  The note source is that chord, or the held notes two octaves
// down while chords come from the keys.
void Engine::buildChord() {
    SequencerRuntime& s = sequencer;
    std::array<float, PatternReads::kChordCells>& cells = patternReads.chordCells;
    // The chord changes only with the cells.
    const bool cellsMoved = patternReads.take(PatternReads::kCells);
    if (cellsMoved) {
        cells.fill(0.0f);
        models.eventTable.copyCurrentPageValues(cells.data(), cells.size());
        s.chordCount = 0;
        for (int32_t k = 0; k < static_cast<int32_t>(cells.size()); ++k) {
            if (cells[k] == 0.0f) continue;
            s.chordNotes[s.chordCount] = static_cast<float>(k);
            s.chordValues[s.chordCount] = cells[k];
            ++s.chordCount;
        }
    }
    // The sources stand until the cells, the mode or (taken from the keys)
    // the held notes move: most ticks need neither the building nor the
    // comparison.  A restore marks the cells moved, so it builds them anew.
    const int32_t mode = engine.sequencer.chordMode.stepIndex;
    const bool fromKeys = mode == kChordsFromKeys;
    if (!cellsMoved && mode == s.sourcesMode && (!fromKeys || heldNoteSorts == s.sourcesHeldSort)) {
        s.sourcesMoved = false;
        return;
    }
    s.sourcesMode = mode;
    s.sourcesHeldSort = heldNoteSorts;
    // Made whole in locals first: eight lanes at once, not a voice at a time.
    SequencerVoices notes{}, weights{};
    if (!fromKeys) {
        for (int i = 0; i < kSequencerVoices; ++i) {
            notes[i] = i < s.chordCount ? s.chordNotes[i] : 0.0f;
            weights[i] = i < s.chordCount ? s.chordValues[i] : 0.0f;
        }
    } else {
        std::copy_n(context.shiftedNotesClamped.begin(), kSequencerVoices, notes.begin());
        std::copy_n(context.sortedVelocities.begin(), kSequencerVoices, weights.begin());
    }
    int32_t count = 0;
    for (float note : notes) count += note > 0.0f ? 1 : 0;
    s.sourceCount = std::clamp(count, 1, kSequencerVoices);
    s.sourcesMoved = notes != s.sourceNotes || weights != s.sourceWeights;
    s.sourceNotes = notes;
    s.sourceWeights = weights;
}

void Engine::restartArpeggio(float arp) {
    SequencerRuntime& s = sequencer;
    const float indicator = arp > 0.0f ? 1.0f : 0.0f;
    if (indicator != s.lastArpIndicator) {
        s.lastArpIndicator = indicator;
        if (indicator == 1.0f) s.restartToggles[0] = flip(s.restartToggles[0]);
    }
    const float clamped = std::max(arp, 0.0f);
    if (clamped != s.lastArpClamped) {
        s.lastArpClamped = clamped;
        if (clamped > 0.0f) s.restartToggles[1] = flip(s.restartToggles[1]);
    }
    if (s.chord != s.lastChordForRestart) {
        s.lastChordForRestart = s.chord;
        s.restartToggles[2] = flip(s.restartToggles[2]);
    }
    float value = 0.0f;
    switch (engine.patterns.records[Tag::RestartArp].stepIndex) {
        case 0: value = context.playing; break;
        case 1: value = s.stepIndex == 0 ? 1.0f : 0.0f; break;
        case 2: value = s.restartToggles[0]; break;
        case 3: value = s.restartToggles[1]; break;
        case 4: value = s.restartToggles[2]; break;
        case 5: value = context.lastVelocity; break;
        default: break;
    }
    s.restart = value != s.lastRestartValue;
    s.lastRestartValue = value;
}

// The step's velocity, roughened by the two random values, to the power
// 0.75; a value that the roughening takes to 0 or below sounds nothing.
void Engine::triggerValue() {
    SequencerRuntime& s = sequencer;
    PatternReads& reads = patternReads;
    if (reads.take(PatternReads::kGate)) {
        reads.gate = models.gateTable.selectPageAndGetValue(static_cast<uint64_t>(s.activePattern),
                                                            static_cast<uint64_t>(s.stepIndex));
    }
    // A stored value beyond the lane's 0..1 (a crafted state, a table whose
    // range a record widened) would make a velocity without bound and the
    // output infinite; NaN fails the comparison and sounds nothing.
    float x = std::min(reads.gate, 1.0f);
    if (x > 0.0f) {
        x -= 0.01f * std::fabs(s.retriggerRandom);
        if (x > 0.0f) x += -0.1f * std::fabs(s.gateSumRandom);
    }
    // The power is taken again only when the roughened value moved: most
    // ticks of a step see the same one.
    if (sameBits(x, s.triggerRoughened)) return;
    s.triggerRoughened = x;
    s.triggerValue = x > 0.0f ? root(x) * root(root(x)) : 0.0f;
}

void Engine::walkArpeggio(float arp, float glideValue) {
    SequencerRuntime& s = sequencer;
    const float pulse = s.triggerValue != s.lastTriggerValue ? 1.0f : 0.0f;
    s.lastTriggerValue = s.triggerValue;
    // The active list follows the sources and the trigger value.
    s.activeMoved = pulse != 0.0f || s.sourcesMoved || !s.activeListMade;
    if (s.activeMoved) sortActiveNotes();
    walkArpeggioAlong(arp, glideValue, pulse);
}

// The source notes whose scaled velocity is not 0, with their velocities,
// sorted by note (selection sort, start value 1e9, first one found on ties).
void Engine::sortActiveNotes() {
    SequencerRuntime& s = sequencer;
    s.activeListMade = true;
    s.activeCount = 0;
    s.activeNotes.fill(0.0f);
    s.activeVelocities.fill(0.0f);
    for (int i = 0; i < kSequencerVoices; ++i) {
        s.scaled[i] = s.sourceWeights[i] * s.triggerValue;
        if (s.scaled[i] == 0.0f) continue;
        s.activeNotes[s.activeCount] = s.sourceNotes[i];
        s.activeVelocities[s.activeCount] = s.scaled[i];
        ++s.activeCount;
    }
    for (int position = 0; position < s.activeCount; ++position) {
        float lowest = 1e9f;
        int lowestIndex = position;
        for (int candidate = position; candidate < s.activeCount; ++candidate) {
            if (s.activeNotes[candidate] < lowest) {
                lowest = s.activeNotes[candidate];
                lowestIndex = candidate;
            }
        }
        std::swap(s.activeNotes[position], s.activeNotes[lowestIndex]);
        std::swap(s.activeVelocities[position], s.activeVelocities[lowestIndex]);
    }
}

void Engine::walkArpeggioAlong(float arp, float glideValue, float pulse) {
    SequencerRuntime& s = sequencer;

    const float d = arp < 1.0f ? 1.0f : arp - 1.0f;
    const int32_t direction = wholeIn(d, 0, 3);
    const float n = static_cast<float>(s.sourceCount);
    float output = 0.0f;
    if (engine.patterns.records[Tag::Arpmode].stepIndex == 0) {
        s.position += direction == kUp ? pulse : direction == kDown ? -pulse : 0.0f;
        if (s.position >= n) s.position = 0.0f;
        if (s.position < 0.0f) s.position += n;
        if (s.restart) s.position = 0.0f;
        output = s.position;
    } else {
        s.counter += pulse;
        if (s.counter >= n) s.counter = 0.0f;
        if (s.restart) s.counter = 0.0f;
        if (direction == kHold && s.lastDirection != kHold) s.holdOutput = s.walkOutput;
        output = direction == kUp     ? s.counter
                 : direction == kDown ? n - 1.0f - s.counter
                 : direction == kHold ? s.holdOutput
                                      : 0.0f;
    }
    s.lastDirection = direction;
    s.walkOutput = output;

    const int32_t k = static_cast<int32_t>(output + engine.sequencer.arpShift) % s.sourceCount;
    const float a = std::clamp(arp, 0.0f, 1.0f);
    const float gate = k < s.activeCount ? s.activeVelocities[k] * a : 0.0f;
    const float note = k < s.activeCount ? s.activeNotes[k] : 0.0f;
    if (note != s.arpNote) {
        s.arpNote = note;
        s.glideTicks = engine.sequencer.glideTime * context.samplesPerMsPerTick;
        if (glideValue == 0.0f || s.glideTicks < 1.0f) {
            s.glidedNote = note;
            s.glideTicks = 0.0f;
        } else {
            s.glideStep = (note - s.glidedNote) / s.glideTicks;
        }
    } else if (s.glideTicks > 0.0f) {
        s.glidedNote += s.glideStep;
        s.glideTicks -= 1.0f;
        if (s.glideTicks <= 0.0f) s.glidedNote = s.arpNote;
    }
    // One voice of the walk holds a gate and a note, the others none: the
    // lines move only when that voice or its values do.
    s.arpMoved = k != s.arpVoice || !sameBits(gate, s.arpGates[k]) || !sameBits(s.glidedNote, s.arpVoices[k]);
    if (!s.arpMoved) return;
    s.arpVoice = k;
    ++s.markerEdits;
    s.arpGates.fill(0.0f);
    s.arpGates[k] = gate;
    s.arpVoices.fill(0.0f);
    s.arpVoices[k] = s.glidedNote;
}

void Engine::fillPairs(float arp) {
    SequencerRuntime& s = sequencer;
    const bool arpStep = std::clamp(arp, 0.0f, 1.0f) > 0.0f;
    // The pairs are made from the walk's lines, the active list and the
    // sources: with none of them moved and the same lines chosen, they stand.
    const int32_t lines = arpStep ? 1 : 0;
    if (!s.arpMoved && !s.activeMoved && !s.sourcesMoved && lines == s.pairLines) {
        s.pairsMoved = false;
        return;
    }
    s.pairLines = lines;
    const SequencerVoices none{};
    const SequencerVoices* notes[3] = {arpStep ? &s.arpVoices : &s.activeNotes, &s.arpVoices, &s.sourceNotes};
    const SequencerVoices* gates[3] = {arpStep ? &s.arpGates : &s.scaled, arpStep ? &s.arpGates : &none,
                                       arpStep ? &none : &s.scaled};
    bool moved = false;
    for (int pair = 0; pair < 3; ++pair) {
        if (!fillPair(s.pairs[pair], *notes[pair], *gates[pair])) continue;
        moved = true;
        // The trigger sources the layers' and the filter's trigger modes
        // point at: notes first, gates second.
        engine.triggerSources[pair].first = s.pairs[pair].notes;
        engine.triggerSources[pair].second = s.pairs[pair].gates;
    }
    s.pairsMoved = moved;
}

// Tie, trigger divider and key range between a pair and a layer's voices.
// A stage that nothing it works from moved since the last tick, which left
// it settled, stands: the check alone, outside the work's call.
void Engine::layerTrigger(int layer, float octaveValue, float tieValue) {
    const SequencerRuntime& s = sequencer;
    LayerTriggerStage& t = sequencer.layers[layer];
    t.passedMoved = false;
    if (t.isSettled && !s.pairsMoved && !s.settingsMoved && sameBits(octaveValue, t.stepOctave) &&
        sameBits(tieValue, t.stepTie))
        return;
    settleTrigger(layer, octaveValue, tieValue);
}

void Engine::settleTrigger(int layer, float octaveValue, float tieValue) {
    SequencerRuntime& s = sequencer;
    LayerTriggerStage& t = s.layers[layer];
    t.stepOctave = octaveValue;
    t.stepTie = tieValue;
    const LayerState& settings = engine.layers[layer];
    const int32_t mode = settings.triggerMode.stepIndex;
    const bool tied = tieValue > 0.0f && engine.patterns.records[Tag::TieOsc1 + layer].stepIndex == 1;
    const float run = engine.patterns.records[Tag::RunSwitch].step;
    static constexpr NoteGatePair kNoPair{};
    const NoteGatePair& pair = mode >= 0 && mode < 3 ? s.pairs[mode] : kNoPair;
    const TriggerSettings now{octaveValue, mode, tied ? 1 : 0, settings.triggerDivider, settings.keyA, settings.keyB, run};
    // The pair is compared where it stands: a copy first would cost more
    // than the comparison.
    if (t.isSettled && sameBits(pair, t.settled.pair) && sameBits(now, t.settled.settings)) return;
    t.settled = {pair, now};
    t.isSettled = true;
    t.passedMoved = true;
    ++s.markerEdits;
    if (!tied) {
        for (int i = 0; i < kSequencerVoices; ++i) {
            t.notes[i] = pair.notes[i] + octaveValue * 12.0f;
            t.gates[i] = pair.gates[i];
        }
    }
    float sum = 0.0f;
    for (float gate : t.gates) sum += gate;
    const int32_t scaledSum = wholeIn(100.0f * sum, 0, 1 << 30);
    if (scaledSum != t.lastSum) {
        t.lastSum = scaledSum;
        if (scaledSum > 0) {
            t.toggle = t.toggle == 1.0f ? 0.5f : 1.0f;
            ++t.divideCounter;
        }
    }
    if (t.divideCounter >= static_cast<int32_t>(settings.triggerDivider)) t.divideCounter = 0;
    if (run != t.lastRun) {
        t.lastRun = run;
        t.divideCounter = 0;
    }
    for (int i = 0; i < kSequencerVoices; ++i) {
        const bool inRange = settings.keyA < t.notes[i] && t.notes[i] < settings.keyB;
        t.passed[i] = t.divideCounter == 0 && inRange ? t.gates[i] : 0.0f;
        if (t.passed[i] > 0.0f && t.passed[i] != t.lastPassed[i]) {
            t.startNotes[i] = t.notes[i];
            clearSilentState();  // a sequencer trigger wakes a silent engine
        }
        t.lastPassed[i] = t.passed[i];
    }
}

// Each voice's change of value becomes note-off and note-on bytes on the
// layer's channel.  Notes outside 0..127 are not sent (nor their note-off).
// An output whose passed gates and settings are those of the last tick,
// which sent nothing, sends nothing: the check alone.
void Engine::noteOutput(int layer, int32_t offset) {
    const LayerTriggerStage& t = sequencer.layers[layer];
    if (t.outputIsSettled && !t.passedMoved && !sequencer.settingsMoved) {
        notesHanging |= t.hanging;
        return;
    }
    sendNoteChanges(layer, offset);
}

void Engine::sendNoteChanges(int layer, int32_t offset) {
    LayerTriggerStage& t = sequencer.layers[layer];
    const LayerState& settings = engine.layers[layer];
    const bool on = settings.soundSwitch.stepIndex == 1 && engine.patterns.records[Tag::RunSwitch].step == 1.0f;
    const int32_t channel = engine.patterns.records[Tag::Osc1Channel + layer].stepIndex & 0x0F;
    const NoteOutputSettings now{settings.voiceScale, on ? 1 : 0, channel};
    if (t.outputIsSettled && sameBits(t.passed, t.outputSettled.passed) && sameBits(now, t.outputSettled.settings)) {
        notesHanging |= t.hanging;
        return;
    }
    bool moved = false;
    for (int v = 0; v < kSequencerVoices; ++v) {
        const float value = on ? t.passed[v] * settings.voiceScale : 0.0f;
        if (value == t.lastValue[v]) continue;
        if (!moved) ++sequencer.markerEdits;
        moved = true;
        t.lastValue[v] = value;
        if (t.sentNote[v] >= 0) midiOut.noteOff(channel, t.sentNote[v], offset);
        t.sentNote[v] = -1;
        if (value == 0.0f) continue;
        const float noteValue = t.startNotes[v] + 24.0f;
        if (!(noteValue >= 0.0f && noteValue < 128.0f)) continue;
        const int32_t note = static_cast<int32_t>(noteValue);
        const int32_t velocity = wholeIn(value, 1, 127);
        if (midiOut.noteOn(channel, note, velocity, offset)) t.sentNote[v] = note;
    }
    t.outputSettled = {t.passed, now};
    t.outputIsSettled = !moved;
    t.hanging = false;
    for (int v = 0; v < kSequencerVoices; ++v) t.hanging |= t.sentNote[v] >= 0;
    notesHanging |= t.hanging;
}
