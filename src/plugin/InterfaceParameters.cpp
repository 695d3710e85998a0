// Indices 307 to 389: effect switches, the chord list and its rotation, the
// factory patterns, the export length, the layers' channel and sound
// switches, the page switches, the filter type, the modulation track area and
// step entry by index.  Interface work is left as requests (page bits,
// refresh counts, dirty views) for the editor's idle.

#include <algorithm>

#include "plugin/BWUniClient.h"
#include "plugin/PageSwitches.h"

namespace {

constexpr float kExportBars[14] = {1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 24, 32, 48, 64};

// Step entry into the step lines: index → grid (0 to 4).
int32_t stepLineOf(int32_t index) {
    switch (index) {
        case 375: return 0;
        case 373: return 1;
        case 377: return 2;
        case 374: return 3;
        default: return 4;  // 376
    }
}

float truncated(float x) { return static_cast<float>(static_cast<int32_t>(x)); }

}  // namespace

void BWUniClient::applyInterfaceParameter(int32_t index, float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[index];
    if (applyStepper(index, v)) return;
    if (findPageSwitch(index)) return applyPageSwitch(index, v);
    if (index >= 307 && index <= 311) return applyEffectSwitch(index, v);
    if (index >= 373 && index <= 377) return enterStepIntoLine(index, v);
    if (index >= 383) return enterStepIntoTable(index, v);
    switch (index) {
        case 312:
        case 313:
        case 314:
        case 315:
        case 316:
        case 317:
        case 318:
        case 319:
        case 323:
            record.setSwitch(v);
            requests.requestRefresh();
            return;
        case 326: return applyChordListPage(v);
        case 327: return applyChordListRotation(v);
        case 328: record.setSteps(v, 6); return;
        case 329:
        case 330:
        case 331: record.setSteps(v, 16); return;
        case 332:
        case 333:
        case 334:
        case 335: record.setSteps(v, 10); return;
        case 336: record.setSteps(v, 6); return;
        case 337: return applyFactoryPatterns(v);
        case 338: record.setSwitch(v); return;
        case 339:
            record.setSteps(v, 14);
            p.exportBars.fill(kExportBars[record.stepIndex]);
            return;
        case 341:
        case 342:
        case 343: return applySoundSwitch(index - 341, v);
        case 344:
        case 345:
        case 346:
        case 347:
            record.setStepsWithMargin(v, 5);
            if (index <= 345) engine.filter.typeSources[index - 344] = record.stepIndex;
            requests.requestRefresh();
            return;
        case 355:
            record.setSwitchWithMargin(v);
            requests.requestRefresh();
            applyPatternOctave();
            return;
        case 365: return applyFilterType(v);
        case 366: return applyModulationTrackArea(v);
        default: return;  // 320 .. 322, 359 .. 364, 367 .. 372, 378 .. 382
    }
}

void BWUniClient::applyEffectSwitch(int32_t index, float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[index];
    record.setSwitch(v);
    const float on = record.step;
    switch (index) {
        case 307:
            p.reverserOn = on;
            giveMix(chain.reverser, PatternEditState::kReverser, on * engine.raw[57]);
            break;
        case 308:
            p.chorusOn = on;
            giveMix(chain.chorus, PatternEditState::kChorus, on * engine.raw[61]);
            break;
        case 309:
            p.reverbOn = on;
            giveMix(chain.reverb, PatternEditState::kReverb, engine.raw[73] * engine.raw[73] * on);
            break;
        case 310:
            p.phaserOn = on;
            p.phaserMix = on * engine.raw[65];
            p.phaserMixMirror = p.phaserMix;
            giveMix(chain.phaser, PatternEditState::kPhaser, p.phaserMix);
            break;
        default:
            p.delayOn = on;
            applyDelayMixes();
            break;
    }
}

void BWUniClient::applyChordListPage(float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[326];
    record.setSteps(v, 8);
    models.chordList.setCurrentPage(static_cast<uint64_t>(record.stepIndex));
    models.chordList.copyCurrentPageValues(p.chordListPageValues.data(), p.chordListPageValues.size());
    rotateChordList(static_cast<int32_t>(p.records[327].step));
}

void BWUniClient::applyChordListRotation(float v) {
    SteppedValue& record = engine.patterns.records[327];
    record.setSteps(v, 12);
    rotateChordList(record.stepIndex);
}

// The rotated list is what the event-table fill (index 204) writes; steps
// shifted in from the left start empty.
void BWUniClient::rotateChordList(int32_t k) {
    PatternEditState& p = engine.patterns;
    const int32_t size = static_cast<int32_t>(p.shiftedChordList.size());
    const int32_t shift = std::clamp(k, 0, size);
    for (int32_t i = 0; i < size; ++i) {
        p.shiftedChordList[i] = i >= shift ? p.chordListPageValues[i - shift] : 0.0f;
    }
}

void BWUniClient::applyFactoryPatterns(float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[337];
    record.setSteps(v, 8);
    models.factoryPatternTable.setCurrentPage(static_cast<uint64_t>(record.stepIndex));
    models.factoryPatternTable.copyCurrentPageValues(p.factoryPatternValues.data(), p.factoryPatternValues.size());
    for (size_t i = 0; i < p.factoryGateValues.size(); ++i) {
        p.factoryGateValues[i] = p.factoryPatternValues[i % p.factoryPatternValues.size()];
    }
}

void BWUniClient::applySoundSwitch(int layerIndex, float v) {
    LayerState& layer = engine.layers[layerIndex];
    SteppedValue& record = engine.patterns.records[341 + layerIndex];
    record.setSwitchWithMargin(v);
    layer.soundSwitch = record;
    layer.soundSource = record.stepIndex;
    requests.requestRefresh();
    layer.gain = engine.patterns.records[279].step * record.step;
    layer.gainFromOwnSource = layer.gain != 0.0f;
    // The second entry of the divisor list doubles the level; the switch's
    // two states never reach it, so the factor stays 1.
    layer.levelFactor = record.step == EngineState::kDivisors[1] ? EngineState::kDivisors[1] : 1.0f;
    layer.scaledLevel = layer.levelFactor * engine.raw[17 + 11 * layerIndex];
}

void BWUniClient::applyPatternOctave() {
    SequencerState& s = engine.sequencer;
    const PatternEditState& p = engine.patterns;
    s.octaveFactor = p.records[356].step * p.records[355].step;
    s.octaveStep = s.octaveFactor != 0.0f ? s.octaveSteps[1] : s.octaveSteps[0];
    s.keyFollow = s.octaveFactor;
}

void BWUniClient::applyPageSwitch(int32_t index, float v) {
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
                if (target >= 0) setParameter(target, rawValue(target));
            }
        }
    }
    if (index == 358) {
        engine.patterns.delaySwitch = record.step;
        applyDelayMixes();
    } else if (index == 356) {
        applyPatternOctave();
        engine.sequencer.octaveSourceChoice = record.stepIndex == 0 ? 0 : 1;
    }
    requests.requestRefresh();
}

void BWUniClient::applyFilterType(float v) {
    FilterState& f = engine.filter;
    models.filterTypeArea.setValue(v);
    const float w = f.typeCompanion;
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
        setParameter(344, t);
        setParameter(345, t);
    }
    if (t != f.lastTypeSentB) {
        f.lastTypeSentB = t;
        setParameter(346, t);
        setParameter(347, t);
    }
    f.typeFlags.fill(0.0f);
    f.typeFlags[static_cast<size_t>(type)] = 1.0f;
    f.settings.type = static_cast<FilterType>(static_cast<int32_t>(type));
}

void BWUniClient::applyModulationTrackArea(float v) {
    models.modulationArea.setValue(v);
    const float track = truncated(std::clamp(5.0f * v, 0.0f, 4.0f) + 0.1f);
    const float t = track * 0.25f;
    if (t == engine.patterns.modulationTrackSent) return;
    engine.patterns.modulationTrackSent = t;
    setParameter(350, t);
}

void BWUniClient::enterStepIntoLine(int32_t index, float v) {
    const int32_t grid = stepLineOf(index);
    BWBtnLine& line = models.stepLines[grid];
    const uint64_t step = engine.patterns.stepCursor;
    if (step < line.getStepCount()) {
        line.setStepOnLine(line.getCurrentLine(), step, truncated(v * line.maxValue + 0.5f));
    }
    requests.markDirty(kStepLine1View << grid);
}

void BWUniClient::enterStepIntoTable(int32_t index, float v) {
    const uint64_t step = engine.patterns.stepCursor;
    if (index <= 387) {
        models.cutoffLane(index - 383).setNormalized(step, v);
        requests.markDirty(kLane1View << (index - 383));
    } else if (index == 388) {
        models.chordTable.setNormalized(step, v);
        requests.markDirty(kChordTableView);
    } else {
        models.gateTable.setNormalized(step, v);
        requests.markDirty(kGateTableView);
    }
}
