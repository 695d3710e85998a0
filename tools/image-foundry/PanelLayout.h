#pragma once
// The places of the interface's widgets, for the panel art.

#include <cstdint>
#include <vector>

namespace foundry {

struct WidgetPlace {
    int32_t tag;
    int32_t x, y, width, height;
    const char* label;   // the parameter or list name, "" for none
    bool effectsPage;    // drawn on the effects panel image instead of the panel
};

const std::vector<WidgetPlace>& widgetPlaces();

}  // namespace foundry
