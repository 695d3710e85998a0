#pragma once
// The pattern editors' tests: a real instance (its pattern models, its undo
// manager) behind a frame in an in-process window, and helpers that read a
// model back as plain numbers.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "WidgetScene.h"
#include "core/BWBtnLine.h"
#include "core/BWTable.h"
#include "core/BWZone.h"
#include "core/BWZoneHandlerInterface.h"
#include "support/InstanceTestSupport.h"

namespace widget_test {

struct PatternScene {
    explicit PatternScene(int32_t width = 960, int32_t height = 697) : scene(width, height) {
        scene.frame->setSystemInfo(instance->getSystemInfo());
    }
    PatternModels& models() { return instance->patterns(); }
    // A press, moves and a release sent through the window, as a user drags.
    void drag(const std::vector<CPoint>& path, platform::MouseButtonId button = platform::MouseButtonId::Left,
              uint32_t keys = 0) {
        const platform::WindowId window = scene.frame->getWindow();
        scene.windows.press(window, path.front().x, path.front().y, button, keys);
        for (size_t i = 1; i < path.size(); ++i) scene.windows.move(window, path[i].x, path[i].y, keys);
        scene.windows.release(window, path.back().x, path.back().y, button, keys);
    }

    UserFoldersSandbox sandbox;
    std::unique_ptr<BWUniClient> instance = makeInstance();
    WidgetScene scene;
};

// A table's values, each rounded to 1/1000 so that hand-worked tables compare.
inline std::vector<float> valuesOf(BWTable& table) {
    std::vector<float> values;
    for (uint64_t i = 0; i < table.getCount(); ++i) values.push_back(std::round(table.getNormalized(i) * 1000.0f) / 1000.0f);
    return values;
}

inline std::vector<float> stepsOf(BWBtnLine& line) {
    std::vector<float> steps;
    for (uint64_t i = 0; i < line.getStepCount(); ++i) steps.push_back(line.getStep(i));
    return steps;
}

// The visible zones as "start-end", in list order.
inline std::string zonesOf(BWZoneHandlerInterface& handler) {
    std::string text;
    for (uint64_t n = 0; BWZone* zone = handler.visibleZone(n); ++n)
        text += (text.empty() ? "" : " ") + std::to_string(zone->start) + "-" + std::to_string(zone->end);
    return text;
}

}  // namespace widget_test
