#pragma once
// Everything the parameter application writes for the render routine and the
// interface, in one record the engine holds by value: the raw value of every
// index as the engine took it (what the rate preparation and the page
// switches re-apply) and the derived values by concern.  The engine is its
// only writer.

#include <array>

#include "plugin/FilterState.h"
#include "plugin/LayerState.h"
#include "plugin/OutputStageState.h"
#include "plugin/PatternEditState.h"
#include "plugin/SequencerState.h"

constexpr int kSoundLayers = 3;
constexpr int kTriggerSources = 3;

struct EngineState {
    // Index 390 is reached only through its object; the slot keeps the
    // array indexable by every binding tag.  Taken from the ParameterInbox.
    std::array<float, kHighestParameterIndex + 2> raw{};

    OutputStageState output;
    std::array<LayerState, kSoundLayers> layers{};
    FilterState filter;
    SequencerState sequencer;
    PatternEditState patterns;

    // Kept by the render routine; the trigger modes choose among them.
    std::array<TriggerSource, kTriggerSources> triggerSources{};
    // Eight increments of 1.0 for layers without polycrush.
    VoiceFloats passThroughIncrement{1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};

    // Step divisors and chord-sequence divisors by step.
    static constexpr float kDivisors[3] = {1.0f, 2.0f, 4.0f};
    // The chord the sequencer plays while chords come from the held notes.
    static constexpr float kSequenceChord = 17.0f;
};
