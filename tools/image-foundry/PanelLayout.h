#pragma once
// The places of the interface's widgets, for the panel art: taken from the
// editor's own layout tables, so that every plate and label sits where the
// editor puts the widget.

#include <cstdint>
#include <vector>

namespace foundry {

enum class PlaceKind {
    knob,      // round
    fader,     // vertical, 70 high
    strip,     // a horizontal slider or selector
    picture,   // a picture display or meter
    valueBox,  // the value shown while a knob is held, and its empty boxes
    tempo,
    button,
    menu,
    area,      // a mouse area: the panel draws what it stands for
    pattern,   // tables, step lines, object and zone views
    hidden,    // drawn by nobody: hidden menus
};

// Which image carries the widget's art: the panel, the effects panel over
// it (pages 2 and 11) or the sixteenth-note delay's panel (page 3), or the
// locate panel (the first widget container).
enum class PanelArea { main, effects, sixteenth, locate };

struct WidgetPlace {
    int32_t tag;
    int32_t x, y, width, height;
    int32_t page;
    PlaceKind kind;
    PanelArea area;
};

const std::vector<WidgetPlace>& widgetPlaces();
const WidgetPlace* findPlace(int32_t tag);

}  // namespace foundry
