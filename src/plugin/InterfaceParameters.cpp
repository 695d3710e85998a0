// What the indices 307 to 389 derive: effect switches, the chord list and
// its rotation, the factory patterns, the export length, the layers' channel
// and sound switches, the page switches, the filter type, the modulation
// track area and step entry by index.  Interface work is left as requests
// (page bits, refresh counts, dirty views) for the editor's idle.  Audio
// side.

#include <algorithm>

#include "plugin/BindingTable.h"
#include "plugin/Engine.h"
#include "plugin/InterfaceRequests.h"
#include "plugin/ParameterCurves.h"
#include "plugin/ParameterInbox.h"
#include "plugin/PatternModels.h"
#include "plugin/PageSwitches.h"

namespace {

constexpr float kExportBars[14] = {1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 24, 32, 48, 64};

// Step entry into the step lines: index → grid (0 to 4).
int32_t stepLineOf(int32_t index) {
    switch (index) {
        case Tag::StepEntryAccent: return 0;
        case Tag::StepEntryArp: return 1;
        case Tag::StepEntryOctave: return 2;
        case Tag::StepEntryTie: return 3;
        default: return 4;  // Tag::StepEntryGlide
    }
}

}  // namespace

void Engine::applyInterfaceParameter(int32_t index, float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[index];
    if (applyStepper(index, v)) return;
    if (findPageSwitch(index)) return applyPageSwitch(index, v);
    if (index >= Tag::RvsOnOff && index <= Tag::DlyOnOff) return applyEffectSwitch(index, v);
    if (index >= Tag::StepEntryArp && index <= Tag::StepEntryOctave) return enterStepIntoLine(index, v);
    if (index >= Tag::Cutoff1) return enterStepIntoTable(index, v);
    switch (index) {
        case Tag::SelectPath:
        case Tag::InterfaceSwitch3:
        case Tag::InterfaceSwitch4:
        case Tag::InterfaceSwitch5:
        case Tag::InterfaceSwitch6:
        case Tag::InterfaceSwitch7:
        case Tag::InterfaceSwitch8:
        case Tag::InterfaceSwitch9:
        case Tag::InterfaceSwitch10:
            record.setSwitch(v);
            requests.requestRefresh();
            return;
        case Tag::Chordlist: return applyChordListPage(v);
        case Tag::ChordListRotation: return applyChordListRotation(v);
        case Tag::RestartArp:
        case Tag::Osc1Channel:
        case Tag::Osc2Channel:
        case Tag::Osc3Channel:
        case Tag::Lane1Row:
        case Tag::Lane2Row:
        case Tag::Lane3Row:
        case Tag::Lane4Row:
        case Tag::Lane5Row: record.setSteps(v, stepCount(index)); return;
        case Tag::Factorypatterns: return applyFactoryPatterns(v);
        case Tag::InterfaceSwitch11: record.setSwitch(v); return;
        case Tag::ExportLength:
            record.setSteps(v, stepCount(index));
            p.exportBars.fill(kExportBars[record.stepIndex]);
            return;
        case Tag::Osc1Sound:
        case Tag::Osc2Sound:
        case Tag::Osc3Sound: return applySoundSwitch(index - Tag::Osc1Sound, v);
        case Tag::FilterTypeSourceA:
        case Tag::FilterTypeSourceB:
        case Tag::FilterTypeSelectorC:
        case Tag::FilterTypeSelectorD:
            record.setStepsWithMargin(v, stepCount(index));
            if (index <= Tag::FilterTypeSourceB) {
                engine.filter.typeSources[index - Tag::FilterTypeSourceA] = record.stepIndex;
            }
            requests.requestRefresh();
            return;
        case Tag::PatternOctave:
            record.setSwitchWithMargin(v);
            requests.requestRefresh();
            applyPatternOctave();
            return;
        case Tag::FilterType: return applyFilterType(v);
        case Tag::ModulationTrackArea: return applyModulationTrackArea(v);
        default: return;  // 320 .. 322, 359 .. 364, 367 .. 372, 378 .. 382: nothing
    }
}

void Engine::applyEffectSwitch(int32_t index, float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[index];
    record.setSwitch(v);
    const float on = record.step;
    switch (index) {
        case Tag::RvsOnOff:
            p.reverserOn = on;
            giveMix(chain.reverser, PatternEditState::kReverser, on * engine.raw[Tag::RvsMix]);
            break;
        case Tag::ChsOnOff:
            p.chorusOn = on;
            giveMix(chain.chorus, PatternEditState::kChorus, on * engine.raw[Tag::ChsMix]);
            break;
        case Tag::RvbOnOff:
            p.reverbOn = on;
            giveMix(chain.reverb, PatternEditState::kReverb, engine.raw[Tag::RvbMix] * engine.raw[Tag::RvbMix] * on);
            break;
        case Tag::PhsOnOff:
            p.phaserOn = on;
            p.phaserMix = on * engine.raw[Tag::PhsMix];
            p.phaserMixMirror = p.phaserMix;
            giveMix(chain.phaser, PatternEditState::kPhaser, p.phaserMix);
            break;
        default:
            p.delayOn = on;
            applyDelayMixes();
            break;
    }
}

void Engine::applyChordListPage(float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[Tag::Chordlist];
    record.setSteps(v, stepCount(Tag::Chordlist));
    models.chordList.setCurrentPage(static_cast<uint64_t>(record.stepIndex));
    models.chordList.copyCurrentPageValues(p.chordListPageValues.data(), p.chordListPageValues.size());
    rotateChordList(static_cast<int32_t>(p.records[Tag::ChordListRotation].step));
}

void Engine::applyChordListRotation(float v) {
    SteppedValue& record = engine.patterns.records[Tag::ChordListRotation];
    record.setSteps(v, stepCount(Tag::ChordListRotation));
    rotateChordList(record.stepIndex);
}

// The rotated list is what the event-table fill (index 204) writes; steps
// shifted in from the left start empty.
void Engine::rotateChordList(int32_t k) {
    PatternEditState& p = engine.patterns;
    const int32_t size = static_cast<int32_t>(p.shiftedChordList.size());
    const int32_t shift = std::clamp(k, 0, size);
    for (int32_t i = 0; i < size; ++i) {
        p.shiftedChordList[i] = i >= shift ? p.chordListPageValues[i - shift] : 0.0f;
    }
}

void Engine::applyFactoryPatterns(float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[Tag::Factorypatterns];
    record.setSteps(v, stepCount(Tag::Factorypatterns));
    models.factoryPatternTable.setCurrentPage(static_cast<uint64_t>(record.stepIndex));
    models.factoryPatternTable.copyCurrentPageValues(p.factoryPatternValues.data(), p.factoryPatternValues.size());
    for (size_t i = 0; i < p.factoryGateValues.size(); ++i) {
        p.factoryGateValues[i] = p.factoryPatternValues[i % p.factoryPatternValues.size()];
    }
}

void Engine::applySoundSwitch(int layerIndex, float v) {
    LayerState& layer = engine.layers[layerIndex];
    SteppedValue& record = engine.patterns.records[Tag::Osc1Sound + layerIndex];
    record.setSwitchWithMargin(v);
    layer.soundSwitch = record;
    layer.soundSource = record.stepIndex;
    requests.requestRefresh();
    layer.gain = engine.patterns.records[Tag::RunSwitch].step * record.step;
    layer.gainFromOwnSource = layer.gain != 0.0f;
    // The second entry of the divisor list doubles the level; the switch's
    // two states never reach it, so the factor stays 1.
    layer.levelFactor = record.step == EngineState::kDivisors[1] ? EngineState::kDivisors[1] : 1.0f;
    layer.scaledLevel = layer.levelFactor * engine.raw[Tag::Osc1Level + Tag::LayerStride * layerIndex];
}

void Engine::applyPatternOctave() {
    SequencerState& s = engine.sequencer;
    const PatternEditState& p = engine.patterns;
    s.octaveFactor = p.records[Tag::OctavePages].step * p.records[Tag::PatternOctave].step;
    s.octaveStep = s.octaveFactor != 0.0f ? s.octaveSteps[1] : s.octaveSteps[0];
    s.keyFollow = s.octaveFactor;
}

void Engine::applyPageSwitch(int32_t index, float v) {
    const PageSwitch& pageSwitch = *findPageSwitch(index);
    SteppedValue& record = engine.patterns.records[index];
    if (pageSwitch.states == 5) {
        record.setStepsWithMargin(v, 5);
    } else {
        record.setSwitchWithMargin(v);
    }
    const bool parentShown = requests.pages.isShown(pageSwitch.parentPage);
    const uint32_t pattern = pageSwitch.shown[std::clamp(record.stepIndex, 0, pageSwitch.states - 1)];
    const int32_t count = pageSwitch.firstPage < 0 ? 2 : pageSwitch.lastPage - pageSwitch.firstPage + 1;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t page = pageSwitch.firstPage < 0 ? pageSwitch.pagesOf[k] : pageSwitch.firstPage + k;
        const bool shown = requests.pages.isShown(page);
        // A hidden parent hides everything under it; a shown one shows the
        // state's pattern.  Pages already right are left alone.
        const bool wanted = parentShown && ((pattern >> k) & 1u) != 0;
        if (wanted == shown) continue;
        requests.pages.setPageBit(page, wanted);
        for (const PageResend& resend : pageSwitch.resends) {
            if (resend.page != page) continue;
            for (int32_t target : resend.targets) {
                if (target >= 0) reapply(target);
            }
        }
    }
    if (index == Tag::DelaySwitch) {
        engine.patterns.delaySwitch = record.step;
        applyDelayMixes();
    } else if (index == Tag::OctavePages) {
        applyPatternOctave();
        engine.sequencer.octaveSourceChoice = record.stepIndex == 0 ? 0 : 1;
    }
    requests.requestRefresh();
}

void Engine::applyFilterType(float v) {
    FilterState& f = engine.filter;
    const float w = inbox.filterTypeCompanion.load(std::memory_order_relaxed);
    int32_t mode = 0;
    if (w < 0.5f && v < 0.5f) {
        mode = 0;
    } else if (w < 0.5f && v > 0.5f) {
        mode = 1;
    } else if (w > 0.5f && v > 0.7f) {
        mode = 2;
    } else if (w > 0.5f && v > 0.3f && v < 0.7f) {
        mode = 3;
    } else if (w > 0.5f && v < 0.3f) {
        mode = 4;
    }
    constexpr float kTypes[5] = {0.0f, 2.0f, 3.0f, 4.0f, 1.0f};
    const float type = kTypes[mode];
    const float t = type * 0.2f;
    if (t != f.lastTypeSentA) {
        f.lastTypeSentA = t;
        send(Tag::FilterTypeSourceA, t);
        send(Tag::FilterTypeSourceB, t);
    }
    if (t != f.lastTypeSentB) {
        f.lastTypeSentB = t;
        send(Tag::FilterTypeSelectorC, t);
        send(Tag::FilterTypeSelectorD, t);
    }
    f.typeFlags.fill(0.0f);
    f.typeFlags[static_cast<size_t>(type)] = 1.0f;
    f.settings.type = static_cast<FilterType>(static_cast<int32_t>(type));
}

void Engine::applyModulationTrackArea(float v) {
    const float track = curve::truncated(std::clamp(5.0f * v, 0.0f, 4.0f) + 0.1f);
    const float t = track * 0.25f;
    if (t == engine.patterns.modulationTrackSent) return;
    engine.patterns.modulationTrackSent = t;
    send(Tag::ModulationTracks, t);
}

void Engine::enterStepIntoLine(int32_t index, float v) {
    const int32_t grid = stepLineOf(index);
    BWBtnLine& line = models.stepLines[grid];
    const uint64_t step = engine.patterns.stepCursor;
    if (step < line.getStepCount()) {
        line.setStepOnLine(line.getCurrentLine(), step, curve::truncated(v * line.maxValue + 0.5f));
    }
    requests.markDirty(kStepLine1View << grid);
}

void Engine::enterStepIntoTable(int32_t index, float v) {
    const uint64_t step = engine.patterns.stepCursor;
    if (index <= Tag::Cutoff5) {
        models.cutoffLane(index - Tag::Cutoff1).setNormalized(step, v);
        requests.markDirty(kLane1View << (index - Tag::Cutoff1));
    } else if (index == Tag::ChordTable) {
        models.chordTable.setNormalized(step, v);
        requests.markDirty(kChordTableView);
    } else {
        models.gateTable.setNormalized(step, v);
        requests.markDirty(kGateTableView);
    }
}
