#pragma once
// What the sequencer keeps from tick to tick: its clocks, the swing delay
// line, steps and loops, retriggers, the chord and the arpeggio walk, the
// three note/gate pairs the layers choose from, each layer's trigger stage
// and its note output memory, and the five step lanes.  All arrays are
// fixed, so a tick allocates nothing.
//
// Audio thread only.

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/Float4.h"

constexpr int kSequencerVoices = 8;
using SequencerVoices = std::array<float, kSequencerVoices>;

// Whether two records of four-byte fields hold the same bits.  Inline and
// four words at a time, a record of a few dozen words costs a few vector
// compares instead of a library call.
template <typename Record>
bool sameBits(const Record& a, const Record& b) {
    static_assert(std::is_trivially_copyable_v<Record> && sizeof(Record) % 4 == 0);
    constexpr size_t kBytes = sizeof(Record);
    const auto* x = reinterpret_cast<const unsigned char*>(&a);
    const auto* y = reinterpret_cast<const unsigned char*>(&b);
    Int4 differ{};
    size_t at = 0;
    for (; at + sizeof(Int4) <= kBytes; at += sizeof(Int4)) {
        Int4 p, q;
        std::memcpy(&p, x + at, sizeof p);
        std::memcpy(&q, y + at, sizeof q);
        differ |= p ^ q;
    }
    int32_t rest = 0;
    for (; at < kBytes; at += 4) {
        int32_t p, q;
        std::memcpy(&p, x + at, 4);
        std::memcpy(&q, y + at, 4);
        rest |= p ^ q;
    }
    uint64_t halves[2];
    std::memcpy(halves, &differ, sizeof halves);
    return (halves[0] | halves[1] | static_cast<uint32_t>(rest)) == 0;
}

struct NoteGatePair {
    SequencerVoices notes{};  // each entry keeps its last note above 0
    SequencerVoices gates{};
};

// Everything a layer's trigger stage works from in a tick: the pair it
// follows and these.  A tick whose inputs are the same, bit for bit, as the
// last one's leaves the stage as it stands (the sum, the divider and the
// passed gates were settled then), so it is passed over.  Four-byte fields
// only: compared as bytes, the pair where it stands.
struct TriggerSettings {
    float octave = 0.0f;
    int32_t mode = -1;
    int32_t tied = 0;
    float divider = 0.0f;
    float keyA = 0.0f;
    float keyB = 0.0f;
    float run = 0.0f;
};
static_assert(sizeof(TriggerSettings) == 4 * 7, "no padding between the compared bytes");

struct TriggerInputs {
    NoteGatePair pair{};
    TriggerSettings settings{};
};

// What a layer's note output works from: its passed gates and these.  A
// tick with the same, bit for bit, after one in which no voice's value
// moved, sends nothing either.
struct NoteOutputSettings {
    float scale = 0.0f;
    int32_t on = 0;
    int32_t channel = -1;
};
static_assert(sizeof(NoteOutputSettings) == 4 * 3, "no padding between the compared bytes");

struct NoteOutputInputs {
    SequencerVoices passed{};
    NoteOutputSettings settings{};
};

struct LayerTriggerStage {
    TriggerInputs settled{};
    bool isSettled = false;
    // The step's octave and tie values as the stage last took them, and
    // whether its passed gates were worked out again in this tick.
    float stepOctave = 0.0f;
    float stepTie = 0.0f;
    bool passedMoved = true;
    NoteOutputInputs outputSettled{};
    bool outputIsSettled = false;
    bool hanging = false;  // a note sent and not yet ended
    SequencerVoices notes{};
    SequencerVoices gates{};
    SequencerVoices passed{};
    SequencerVoices lastPassed{};
    SequencerVoices startNotes{};
    int32_t lastSum = 0;
    float toggle = 0.5f;
    int32_t divideCounter = 0;
    float lastRun = 0.0f;
    // Note output: the voice values of the last tick and the notes sent.
    SequencerVoices lastValue{};
    std::array<int32_t, kSequencerVoices> sentNote{-1, -1, -1, -1, -1, -1, -1, -1};
};

// The loop positions of the step and chord step for the counters they came
// from.
struct StepPlace {
    int64_t used = -1;
    int64_t counter = -1;
    int64_t length = 0;
    float divisor = 0.0f;
    int32_t step = 0;
    int32_t chordStep = 0;
};

struct StepLaneState {
    float current = 0.0f;
    std::array<float, 9> rows{};
    std::array<float, 9> sent{};
};

struct SequencerRuntime {
    // The longest swing delay (half a step at one step a beat) in ticks, at
    // the slowest tempo and highest rate, fits with room for interpolation.
    static constexpr int32_t kSwingCapacity = 8448;

    float ownClockRamp = 0.0f;
    float ownClockStep = 0.0f;
    float lastRunState = 0.0f;
    float startPulse = 0.0f;
    float lastStartPulse = 0.0f;
    float lastLoadCount = 0.0f;
    float restartTrigger = 0.0f;
    float lastRestartTrigger = 0.0f;

    double hostStepPosition = 0.0;
    double ownStepPosition = 0.0;
    int64_t stepCounter = 0;

    std::array<float, kSwingCapacity> swingLine{};
    int32_t swingLength = 2;
    int32_t swingWrite = 0;
    bool swungStep = false;
    double usedCounter = 0.0;

    StepPlace place;
    int32_t stepIndex = 0;
    int32_t chordStepIndex = 0;
    int32_t loopFirst = 0;
    int32_t loopLast = 0;

    float activePattern = 0.0f;
    float lastPatternSeen = -1.0f;
    float loadPulseSource = 0.0f;
    float lastLoadPulseSource = 0.0f;
    float lastLoadCountSeen = 0.0f;

    float chord = 0.0f;
    float lastChordSent = -1.0f;

    float retriggerPhase = 0.0f;
    int32_t doneStep = -1;
    int32_t retriggerIndex = 0;
    float retriggerRandom = 0.0f;
    float gateSumRandom = 0.0f;
    float lastGateSum = 0.0f;

    // The chord of the selected page, sorted, and the note source.
    std::array<float, 48> chordNotes{};
    std::array<float, 48> chordValues{};
    int32_t chordCount = 0;
    SequencerVoices sourceNotes{};
    SequencerVoices sourceWeights{};
    int32_t sourceCount = 1;
    bool sourcesMoved = true;  // the sources differ from the last tick's
    int32_t sourcesMode = -1;     // the chord mode the sources were made in; -1 before any
    uint32_t sourcesHeldSort = 0;  // the held notes' sorting they were made from

    // Restart sources 2 to 4 are toggles between 1.0 and 0.99999899.
    std::array<float, 3> restartToggles{1.0f, 1.0f, 1.0f};
    float lastArpIndicator = 0.0f;
    float lastArpClamped = 0.0f;
    float lastChordForRestart = -1.0f;
    float lastRestartValue = 0.0f;
    bool restart = false;

    // The arpeggio walk.
    float triggerValue = 0.0f;
    float triggerRoughened = 0.0f;  // the roughened velocity triggerValue was raised from
    float lastTriggerValue = 0.0f;
    SequencerVoices scaled{};
    SequencerVoices activeNotes{};
    SequencerVoices activeVelocities{};
    int32_t activeCount = 0;
    bool activeListMade = false;
    float position = 0.0f;
    float counter = 0.0f;
    float holdOutput = 0.0f;
    float walkOutput = 0.0f;
    int32_t lastDirection = -1;
    float arpNote = 0.0f;
    float glidedNote = 0.0f;
    float glideStep = 0.0f;
    float glideTicks = 0.0f;
    SequencerVoices arpVoices{};
    SequencerVoices arpGates{};
    int32_t arpVoice = 0;    // the one voice of the two lines above that is not 0
    bool arpMoved = true;    // the walk's lines moved in this tick
    bool activeMoved = true;  // the active list was made again in this tick
    int32_t pairLines = -1;  // the lines the pairs were made from: 1 the walk's, 0 the active list's; -1 none yet

    std::array<NoteGatePair, 3> pairs{};
    // Whether, in this tick, a pair moved or a parameter was applied: with
    // neither, a settled trigger stage or note output has nothing to do.
    bool pairsMoved = true;
    bool settingsMoved = true;
    std::array<LayerTriggerStage, 3> layers{};
    std::array<StepLaneState, 5> lanes{};
    // Counts the writes to what the voice markers are made of (any layer's
    // passed gates, start notes and sent values, and the walk's gates): with
    // the count where it stood, the markers' arrays are those of the tick
    // before.
    uint32_t markerEdits = 0;
};
