#pragma once
// The state of the interface's pattern, list and step-entry controls: the
// selector records of indices 204 to 389, the memories of the edits that act
// on a change, the chord list copies, the factory gate values, the export
// length and the step cursor.

#include <array>
#include <cstdint>

#include "plugin/ParameterTags.h"
#include "plugin/SteppedValue.h"

constexpr int32_t kHighestParameterIndex = Tag::HighestIndex;

struct PatternEditState {
    // One record per index; the host parameters keep theirs elsewhere.
    std::array<SteppedValue, kHighestParameterIndex + 1> records{};

    // Pattern-wide buttons in check order: init, copy, paste, random, left, right.
    std::array<float, 6> patternWideMemory{};
    float eventFillMemory = -1.0f;
    float gateFillMemory = -1.0f;

    std::array<float, 48> chordListPageValues{};
    std::array<float, 48> shiftedChordList{};
    std::array<float, 8> factoryPatternValues{};
    std::array<float, 32> factoryGateValues{};
    std::array<float, 2> exportBars{1.0f, 1.0f};  // for the interface and for the export

    // Step entry by index: the step the MIDI handler or the loader points at.
    uint64_t stepCursor = UINT64_MAX;
    // The loop zone the render routine keeps at every tick: the range edits
    // act on steps loopStart .. loopEnd − 1.  The clipboard buttons' edits
    // read it off the audio side: the render writes it and they read it as
    // shared floats (core/SharedFloat.h).
    float loopStart = 0.0f;
    float loopEnd = 0.0f;
    float eventTablePage = 0.0f;
    float gateTablePage = 0.0f;

    // Effect on/off factors (307 .. 311) and the delay split (358).
    float reverserOn = 0.0f;
    float chorusOn = 0.0f;
    float reverbOn = 0.0f;
    float phaserOn = 0.0f;
    float delayOn = 0.0f;
    float delaySwitch = 0.0f;
    float phaserMix = 0.0f;
    float phaserMixMirror = 0.0f;
    // The mix each effect was given last, in chain order.
    enum EffectSlot { kReverser, kChorus, kPhaser, kDoubleDelay, kDelay16, kReverb, kEffectSlots };
    std::array<float, kEffectSlots> effectMix{};
    float modulationTrackSent = -1234.1234f;  // last value 366 sent to 350
};
