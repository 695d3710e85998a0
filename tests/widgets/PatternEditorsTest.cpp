// The pattern editors against the core, laid out as the editor lays them
// out: scripted mouse input through the window leaves the instance's models
// as worked out by hand; models read from another instance's records draw
// the same pixels; and a model the core changes is redrawn at the next idle
// without a word to the listener.

#include <gtest/gtest.h>

#include <functional>

#include "PatternScene.h"
#include "support/ChunkWords.h"
#include "widgets/BWBtnLineView.h"
#include "widgets/BWTableView.h"
#include "widgets/BWZoneView.h"

namespace widget_test {
namespace {

// The three editors of the main page, on an instance's models.
struct Editors {
    Editors(WidgetScene& scene, PatternModels& models, CControlListener* listener) {
        gate = scene.add(new BWTableView(CRect(192, 416, 864, 477), listener, 389, scene.frame, 1));
        models.gateTable.setFlags(BWTableView::kEditable | BWTableView::kWatchPlay | BWTableView::kCacheValues);
        models.gateTable.setRange(0.0f, 1.0f);
        gate->setTable(&models.gateTable);
        gate->barColour = CColor{44, 107, 141, 255};
        gate->highlightColour = CColor{199, 211, 44, 255};
        gate->backgroundColour = CColor{36, 36, 36, 255};
        steps = scene.add(new BWBtnLineView(CRect(192, 392, 864, 413), listener, 375, scene.frame));
        steps->model = &models.stepLine(0);
        steps->setStepBitmap(strip = numberedStrip(21, 21, 3));
        zones = scene.add(new BWZoneView(CRect(192, 224, 864, 236), listener, 372, scene.frame, &models.zones));
        zones->visibleKeys = 32;
        zones->keyLimit = 32;
    }
    ~Editors() { strip->forget(); }
    Editors(const Editors&) = delete;
    Editors& operator=(const Editors&) = delete;

    BWTableView* gate;
    BWBtnLineView* steps;
    BWZoneView* zones;
    CBitmap* strip;
};

void clear(PatternModels& models) {
    models.gateTable.defaultValue = 0.0f;
    models.gateTable.reset();
    BWBtnLine& line = models.stepLine(0);
    line.setCurrentLine(0);
    for (uint64_t i = 0; i < line.getStepCount(); ++i) line.setStepOnLine(0, i, 0.0f);
    line.maxValue = 3.0f;
    models.zones.deleteAllZones(false);
}

TEST(PatternEditors, ScriptedInputLeavesTheModelsAsWorkedOutByHand) {
    PatternScene s;
    clear(s.models());
    Editors editors(s.scene, s.models(), &s.scene.listener);
    // 32 gate steps of 21 px over 61 px of values; 32 button cells of 21 px; 32 keys of 21 px.
    auto step = [](int32_t n) { return 192 + 21 * n + 10; };
    s.drag({{step(2), 477 - 30}, {step(3), 477 - 45}, {step(6), 477 - 61}});
    s.drag({{step(10), 477}, {step(13), 416}}, platform::MouseButtonId::Left, platform::kStateControl);
    for (int click = 0; click < 3; ++click) s.drag({{step(0), 400}});
    s.drag({{step(4), 400}});
    s.drag({{step(4), 400}, {step(7), 400}});
    s.drag({{step(3), 230}, {step(6), 230}});
    s.drag({{step(20), 230}, {step(22), 230}, {step(19), 230}});

    std::vector<float> gate(32, 0.0f);
    gate[2] = 0.738f;                    // pressed at 30 of 61 px, then the move to step 3 at 45 px
    gate[3] = gate[4] = gate[5] = gate[6] = 1.0f;  // the jump from 3 to 6 at the top
    gate[11] = 0.333f, gate[12] = 0.667f, gate[13] = 1.0f;  // the line from (10, 0) to (13, 1)
    EXPECT_EQ(valuesOf(s.models().gateTable), gate);
    std::vector<float> line(32, 0.0f);
    line[0] = 3.0f;
    line[4] = 1.0f;  // one click; the drag from it paints its value and leaves it
    line[5] = line[6] = line[7] = 1.0f;
    EXPECT_EQ(stepsOf(s.models().stepLine(0)), line);
    EXPECT_EQ(zonesOf(s.models().zones), "3-6 19-22");
    EXPECT_EQ(s.models().zones.laneHandler(0)->zoneStart[0], 3.0f) << "the render's mirror follows";
}

TEST(PatternEditors, ModelsReadFromRecordsDrawTheSamePixels) {
    PatternScene s;
    Editors editors(s.scene, s.models(), nullptr);
    for (uint64_t i = 0; i < 32; ++i) s.models().gateTable.setNormalized(i, static_cast<float>((i * 7) % 11) / 10.0f);
    for (uint64_t i = 0; i < 32; ++i) s.models().stepLine(0).setStepOnLine(0, i, static_cast<float>(i % 4));
    s.models().zones.deleteAllZones(false);
    for (const auto& [start, end] : {std::pair{1, 4}, std::pair{9, 9}, std::pair{12, 20}}) {
        std::unique_ptr<BWZone> zone = s.models().zones.createZone(0);
        zone->setRange(start, end);
        ASSERT_TRUE(s.models().zones.insertZone(std::move(zone)));
    }

    std::unique_ptr<BWUniClient> other = makeInstance();
    PatternModels& copies = other->patterns();
    readWords(copies.gateTable, wordsOf(s.models().gateTable));
    readWords(copies.stepLine(0), wordsOf(s.models().stepLine(0)));
    copies.zones.deleteAllZones(false);
    readWords(copies.zones, wordsOf(s.models().zones));
    Editors copied(s.scene, copies, nullptr);
    s.models().gateTable.readPosition = 0.0f;  // writing the record read every point
    copies.gateTable.readPosition = 0.0f;

    const std::pair<BWControl*, BWControl*> pairs[] = {
        {editors.gate, copied.gate}, {editors.steps, copied.steps}, {editors.zones, copied.zones}};
    for (const auto& [original, copy] : pairs) {
        auto a = drawn(*original, 960, 697), b = drawn(*copy, 960, 697);
        const CRect& r = original->getViewSize();
        int32_t differing = 0, painted = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x) {
                differing += a->getPixel(x, y) != b->getPixel(x, y);
                painted += (a->getPixel(x, y) & 0xFFFFFF) != 0;
            }
        EXPECT_EQ(differing, 0) << original->getTag();
        EXPECT_GT(painted, 50) << original->getTag();
    }
}

TEST(PatternEditors, ChangesFromTheCoreRedrawAtTheNextIdleWithoutAReport) {
    PatternScene s;
    Editors editors(s.scene, s.models(), &s.scene.listener);
    const platform::WindowId window = s.scene.frame->getWindow();
    s.scene.idle();
    s.scene.windows.paint(window);
    const struct {
        const char* name;
        std::function<void(PatternModels&)> change;
        CRect area;
    } cases[] = {
        {"a gate value", [](PatternModels& m) { m.gateTable.setNormalized(9, 0.9f); }, CRect(192, 416, 864, 477)},
        {"the play position", [](PatternModels& m) { m.gateTable.getValue(17); }, CRect(192, 416, 864, 477)},
        {"the current step line", [](PatternModels& m) { m.stepLine(0).setCurrentLine(3); }, CRect(192, 392, 864, 413)},
        {"the zone lane", [](PatternModels& m) { m.zones.setCurrentLane(2); }, CRect(192, 223, 864, 237)},
    };
    for (const auto& c : cases) {
        s.scene.idle();
        s.scene.windows.paint(window);
        c.change(s.models());
        s.scene.idle();
        const platform::WindowRect pending = s.scene.windows.pendingUpdate(window);
        EXPECT_TRUE(pending.left <= c.area.left && pending.top <= c.area.top && pending.right >= c.area.right &&
                    pending.bottom >= c.area.bottom)
            << c.name << ": " << pending.left << "," << pending.top << "," << pending.right << "," << pending.bottom;
        EXPECT_TRUE(s.scene.takeLog().empty()) << c.name;
    }
}

}  // namespace
}  // namespace widget_test
