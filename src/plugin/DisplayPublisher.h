#pragma once
// What the render leaves in the display block for the interface's
// indicators, once per control tick: where the phrase stands, which voices
// sound and where, the beat, the chord and the compressor.  The editor's
// display pass turns these sources into pixels (counters x 21 px per step
// cell, positions over 48 keys of 673 px).
//
// What each source carries:
// - counter1: the pattern step the sequencer plays (0..31, a cell of the
//   lanes); counter2: the chord sequence's step (a cell of the chord lane).
// - source: how far the current step has gone (0..1).
// - positions/activity: the notes the lead layer (the first one switched
//   on) sounds, one per sequencer voice, as sent to the MIDI output less 24,
//   and that voice's level (0 when silent); offset: the step's octave lift
//   in semitones, so a marker stands over the key its note comes from.
// - positions2/activity2: the keys held (note - 24) and their velocities.
// - shift: 12, so the key view's 48 keys run C2..B5, where chords are
//   played; shiftDisable: 1 unless chords come from the keys, when the strip
//   below shows the chord's own 48 cells from C1 instead.
// - markerDisable: 1 while no voice marker shows.
// - beatIndicator: 1 on every beat of the beat clock, falling to 0 over
//   half a beat; compressorReduction: the share of the level the compressor
//   takes (1 - gain, up to its depth); chordNumber: the chord-list entry
//   the voices play (1..16) while the sequencer runs, 0 when the chord comes
//   from the keys or nothing runs.
// - playBarAlpha, pageImageAlpha: 255 x the running clock's ramp: full while
//   the sequencer runs, fading over the master release after it stops.
// - objectCount: 8 (one object per voice) unless at rest; objectAlpha: 80 to
//   255 by the voice's level, 0 when silent; objectSpriteY: the sprite row
//   (7 px each) of note, accent, tie or glide.
//
// While the silence optimisation rests the engine only the rest values are
// written, once.
//
// Audio thread: a few dozen relaxed stores a tick, nothing allocated,
// nothing locked, nothing per sample.

#include <cstdint>

#include "plugin/SequencerRuntime.h"

class BWSystemInfo;
class Engine;
struct DisplayBlock;

// What the voice markers take from the step and the switches, made every
// tick.  Four-byte fields only: compared as bytes.
struct MarkerSettings {
    float octave = 0.0f;
    int32_t lead = -1;
    int32_t tied = 0;
    int32_t gliding = 0;
    int32_t strike = 0;
    int32_t sounding = 0;
};
static_assert(sizeof(MarkerSettings) == 4 * 6, "no padding between the compared bytes");

// Everything the voice markers are made from.  A tick whose inputs are those
// of the markers last published, bit for bit, would write what they hold.
// Four-byte fields only: compared as bytes.
struct MarkerInputs {
    SequencerVoices lastValue{};
    SequencerVoices passed{};
    SequencerVoices startNotes{};
    SequencerVoices arpGates{};
    MarkerSettings settings{};
};
static_assert(sizeof(MarkerInputs) == 4 * (4 * kSequencerVoices) + sizeof(MarkerSettings),
              "no padding between the compared bytes");

// The keys held as their bars show them: they move only with the keys.
struct HeldKeys {
    SequencerVoices notes{};
    SequencerVoices velocities{};
};

class DisplayPublisher {
public:
    DisplayPublisher(DisplayBlock& block, const BWSystemInfo& context) : block(block), context(context) {}

    // After the sequencer, the voices' starts and the lanes of a tick:
    // octave and tie are the step's values of those two lines.
    void publish(const Engine& engine, float octave, float tie);
    // At the end of every block: the output's peaks for the level meters.
    void publishPeaks(float left, float right);
    // The running state was replaced: the next tick compares the markers'
    // inputs whole.
    void forgetMarkers() { markersPublished = false; }
    // Off: every tick builds the markers' inputs whole, as a twin to test the
    // shortcut against.
    void setMarkerShortcut(bool on) { markerShortcut = on; }

private:
    void publishVoices(const Engine& engine, float octave, float tie, bool sounding);
    void publishRest();
    void publishMarkers(const MarkerInputs& in);
    void publishKeys();

    DisplayBlock& block;
    const BWSystemInfo& context;
    float beatLight = 0.0f;
    bool resting = false;
    MarkerInputs published{};
    uint32_t markerEditsSeen = 0;  // the sequencer's count of marker edits at the last publish
    bool markersPublished = false;
    bool markerShortcut = true;
    HeldKeys keysShown{};
    bool keysPublished = false;
};
