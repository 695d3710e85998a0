// The parameter set-up: registers the bindings, ties them to their raw
// values or objects, stores the factory state and fills the factory pages.
// Runs once, on the constructing thread, before anything else can reach the
// instance.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/BWBtnLineGrids.h"
#include "core/BWTableXYLanes.h"
#include "core/BWZone.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"

namespace {

constexpr int64_t kZoneClipboardKey = 167;
constexpr uint64_t kZoneLaneLength = 32;

struct FactoryPage {
    int32_t page;
    std::initializer_list<int32_t> onPoints;
};

// Lane 2: the eight factory gate patterns, every point written.
constexpr float kFactoryPatterns[8][8] = {
    {1, 0, 0.133333f, 0, 0.666667f, 0, 0.133333f, 0},
    {1, 0, 0.6f, 0, 0.966667f, 0, 0.533333f, 0},
    {0.866667f, 0, 0.333333f, 0.933333f, 0, 0.333333f, 0.933333f, 0},
    {1, 0.478261f, 0.766667f, 0.633333f, 0.933333f, 0.466667f, 0.833333f, 0.666667f},
    {1, 0.2f, 0.633333f, 0.933333f, 0.166667f, 0.8f, 0.333333f, 0.833333f},
    {0.782609f, 0.566667f, 0.130435f, 0.891304f, 0.282609f, 0.533333f, 0.266667f, 0.833333f},
    {0.1f, 0.133333f, 0.233333f, 0.333333f, 0.5f, 0.666667f, 0.833333f, 1},
    {1, 0.833333f, 0.7f, 0.566667f, 0.466667f, 0.366667f, 0.266667f, 0.166667f},
};

// Lane 4 (the chord list) and lane 5 (the chord sequence): the points set to 1.
const FactoryPage kChordListPages[] = {
    {0, {12, 24, 28, 31, 36}},         {1, {12, 24, 28, 31, 33, 36}},
    {2, {12, 19, 24, 31, 34, 36}},     {3, {16, 24, 26, 28, 31, 35}},
    {4, {12, 24, 27, 31, 36}},         {5, {12, 24, 27, 31, 33, 36}},
    {6, {12, 22, 24, 27, 31, 34, 36}}, {7, {12, 15, 24, 26, 31, 34, 36}},
    {8, {7, 14, 19, 23, 26, 31, 38, 42}},
};
const FactoryPage kEventTablePages[] = {
    {1, {19, 28, 30, 35, 38, 40, 43}},
    {2, {2, 5, 43}},
    {3, {21, 25, 28, 30, 33, 37}},
    {4, {2, 4, 5, 14, 21, 26, 31, 35}},
    {5, {14, 21, 29, 36}},
    {6, {22, 32, 34, 37, 41, 44, 46}},
    {7, {26, 31, 38, 43}},
    {8, {2, 3, 4, 7, 14, 23, 26, 31, 38, 40, 42, 43, 45}},
    {9, {2, 22, 32, 34, 37, 41, 44, 46}},
    {10, {3, 7, 14, 21, 27, 31, 36}},
    {11, {2, 47}},
    {12, {2}},
    {15, {16}},
};

constexpr float kCutoffLane2Page0[16] = {0.032787f, 0.114754f, 0.147541f, 0.147541f, 0.163934f, 0.163934f,
                                         0.344262f, 0.442623f, 0.327869f, 0.327869f, 0.360656f, 0.377049f,
                                         0.442623f, 0.606557f, 0.721311f, 0.819672f};

void writeOnPoints(BWTableXY& table, const FactoryPage& page) {
    for (int32_t point : page.onPoints) table.setValueOnPage(point, page.page, 1.0f);
}

// Visits every page once and leaves the first current, as the lanes expect
// after their set-up.
void visitPages(BWTableXY& table) {
    for (uint64_t page = 0; page < table.getPageCount(); ++page) table.setCurrentPage(page);
    table.setCurrentPage(0);
}

// The "Chord Select" value a previous instance left: a finite number only,
// limited to 0..1; anything else starts at 0.  The settings keep six
// decimals, so a step's own value (1/3 is written "0.333333") comes back as
// that step's value, not as a hair below it, which would be the step before.
float rememberedChordSelect(const std::string& name) {
    std::string text;
    if (!getSettingString(name, text)) return 0.0f;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value)) return 0.0f;
    const double steps = stepCount(kChordSelectTag);
    const double nearestStep = std::round(value * steps) / steps;
    constexpr double kSixDecimals = 5e-6;
    const double remembered = std::abs(value - nearestStep) < kSixDecimals ? nearestStep : value;
    return static_cast<float>(std::clamp(remembered, 0.0, 1.0));
}

}  // namespace

void BWUniClient::initParameters() {
    hostTable.fill(nullptr);
    registerBindings();
    bindValuesAndObjects();
    applyFactoryDefaults();
    for (const PresetCategoryRow& row : presetCategoryRows()) categories.push_back(makePresetCategory(row));
    fillFactoryPages();
    configureStepLinesAndZones();
}

void BWUniClient::registerBindings() {
    bindingList.reserve(bindings.size());
    for (ParamBinding& binding : bindings) {
        bindingList.push_back(&binding);
        if (binding.id == kActionId) continue;
        kindMembers[kPresetKindGlobal].push_back(&binding);
        for (int32_t kind : {kPresetKindSequence, kPresetKindSound}) {
            const std::span<const int32_t> ids = presetKindMemberIds(kind);
            if (std::find(ids.begin(), ids.end(), binding.id) != ids.end()) {
                kindMembers[kind].push_back(&binding);
            }
        }
    }
    for (ParamBinding& binding : bindings) {
        if (binding.tag >= 0 && binding.tag < kHostParameterCount) hostTable[binding.tag] = &binding;
    }
}

void BWUniClient::bindValuesAndObjects() {
    BWMouseAreaChunk* areas[] = {&models.patternKeysArea, &models.filterTypeArea, &models.modulationArea};
    for (ParamBinding& binding : bindings) {
        binding.type = isSwitchTag(binding.tag) ? kBindingTypeSwitch : kBindingTypePlain;
        binding.remember = binding.tag == kChordSelectTag;
        const ObjectBindingRow* row = findObjectBinding(binding.tag);
        if (!row) {
            binding.value = &inbox.slot(binding.tag);
            binding.valueWord = 1;
            continue;
        }
        const size_t i = static_cast<size_t>(row->index);
        switch (row->kind) {
            case BindingObjectKind::MouseArea: {
                // The area keeps its value in its index's slot: whoever sets
                // one sets the other.
                BWMouseAreaChunk& area = *areas[i % 3];
                inbox.publish(binding.tag, area.value());
                area.bind(0, &inbox.slot(binding.tag));
                binding.object = &area;
                break;
            }
            case BindingObjectKind::ZoneContainer: binding.object = &models.zones; break;
            case BindingObjectKind::StepLine: binding.object = &models.stepLines[i % 5]; break;
            case BindingObjectKind::SoundLayer: binding.object = &layers[i % 3]; break;
            case BindingObjectKind::PagedTable: binding.object = &models.table(row->index + 1); break;
        }
    }
    // The filter type's companion value is written by the interface.
    models.filterTypeArea.bind(1, &inbox.filterTypeCompanion);
}

void BWUniClient::applyFactoryDefaults() {
    for (const DefaultRow& row : hostParameterDefaults()) {
        if (!findObjectBinding(row.tag)) inbox.publish(row.tag, row.value);
    }
    for (const DefaultRow& row : furtherNonZeroDefaults()) inbox.publish(row.tag, row.value);
    inbox.publish(kChordSelectTag, rememberedChordSelect(hostTable[kChordSelectTag]->name));
    // The pattern-octave page switch starts half way, in its "on" state.
    inbox.publish(Tag::OctavePages, 0.5f);
}

void BWUniClient::fillFactoryPages() {
    for (int lane = 1; lane <= PatternModels::kTables; ++lane) {
        configureLane(models.table(lane), tableXYLanes()[lane - 1]);
    }
    for (int32_t page = 0; page < 8; ++page) {
        for (int32_t point = 0; point < 8; ++point) {
            models.factoryPatternTable.setValueOnPage(point, page, kFactoryPatterns[page][point]);
        }
    }
    for (int32_t point = 0; point < 32; ++point) models.gateTable.setValueOnPage(point, 0, 1.0f);
    for (int32_t page : {20, 21}) models.gateTable.setValueOnPage(0, page, 1.0f);
    for (const FactoryPage& page : kChordListPages) writeOnPoints(models.chordList, page);
    for (const FactoryPage& page : kEventTablePages) writeOnPoints(models.eventTable, page);
    models.cutoffLane(0).setValueOnPage(7, 0, 0.032787f);
    for (int32_t point = 0; point < 16; ++point) {
        models.cutoffLane(1).setValueOnPage(point, 0, kCutoffLane2Page0[point]);
    }
    for (int lane = 1; lane <= PatternModels::kTables; ++lane) visitPages(models.table(lane));
}

void BWUniClient::configureStepLinesAndZones() {
    for (int grid = 0; grid < PatternModels::kStepLines; ++grid) {
        configureGrid(models.stepLines[grid], btnLineGrids()[grid]);
    }
    models.zones.clipboardKey = kZoneClipboardKey;
    models.zones.setLaneLength(kZoneLaneLength);
    models.zones.initEnabled = 0;
    if (BWZoneHandler* lane = models.zones.laneHandler(0)) {
        if (std::unique_ptr<BWZone> zone = lane->createZone(0)) {
            zone->setRange(0, static_cast<int32_t>(kZoneLaneLength) - 1);
            lane->insertZone(std::move(zone));
        }
    }
}

