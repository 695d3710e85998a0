#include "image-foundry/PanelLayout.h"

#include "editor/LayoutRows.h"

namespace foundry {
namespace {

PanelArea areaOfPage(int32_t page) {
    if (page == 3) return PanelArea::sixteenth;
    if (page == 2 || page == 11) return PanelArea::effects;
    return PanelArea::main;
}

PlaceKind knobKind(const layout::Box& b) {
    if (b.w == b.h) return PlaceKind::knob;
    return b.h >= 60 ? PlaceKind::fader : PlaceKind::strip;
}

PlaceKind displayKind(const layout::DisplayRow& row) {
    if (row.flags & layout::kHiddenAtOpen) return PlaceKind::valueBox;  // shown only while a knob is held
    switch (row.kind) {
        case layout::DisplayKind::valueText:
        case layout::DisplayKind::imageOnly: return PlaceKind::valueBox;
        case layout::DisplayKind::tempo: return PlaceKind::tempo;
        default: return PlaceKind::picture;
    }
}

std::vector<WidgetPlace> collect() {
    std::vector<WidgetPlace> all;
    auto put = [&](int32_t tag, int32_t page, const layout::Box& b, PlaceKind kind) {
        all.push_back({tag, b.x, b.y, b.w, b.h, page, kind, areaOfPage(page)});
    };
    for (auto knobs : {layout::mainPageKnobs(), layout::soundPageKnobs(), layout::effectsPageKnobs()})
        for (const layout::KnobRow& r : knobs) put(r.tag, r.page, r.box, knobKind(r.box));
    for (auto displays : {layout::mainPageDisplays(), layout::soundPageDisplays(), layout::effectsPageDisplays()})
        for (const layout::DisplayRow& r : displays) put(r.tag, r.page, r.box, displayKind(r));
    for (auto buttons : {layout::mainPageButtons(), layout::soundPageButtons(), layout::effectsPageButtons(),
                         layout::lanePageButtons()}) {
        for (const layout::ButtonRow& r : buttons) {
            put(r.tag, r.page, r.box, PlaceKind::button);
            if (r.inLocatePanel) all.back().area = PanelArea::locate;
        }
    }
    for (const layout::LateButton& late : layout::lateButtons())
        put(late.row.tag, late.row.page, late.row.box, PlaceKind::button);
    for (const layout::MenuRow& r : layout::visibleMenus()) put(r.tag, r.page, r.box, PlaceKind::menu);
    for (const layout::HiddenMenuRow& r : layout::hiddenMenus()) put(r.tag, layout::kNoPage, r.box, PlaceKind::hidden);
    for (const layout::PresetMenuRow& r : layout::presetMenus()) put(r.tag, r.page, r.box, PlaceKind::menu);
    for (const layout::MouseAreaRow& r : layout::mouseAreas()) put(r.tag, r.page, r.box, PlaceKind::area);
    for (const layout::ButtonLineRow& r : layout::buttonLines()) put(r.tag, 0, r.box, PlaceKind::pattern);
    for (const layout::TableRow& r : layout::stepTables()) put(r.tag, r.page, r.box, PlaceKind::pattern);
    put(layout::kKeyStripTag, 0, {194, 637, 672, 7}, PlaceKind::pattern);
    put(layout::kBarStripTag, 13, {193, 645, 672, 34}, PlaceKind::pattern);
    put(layout::kZoneViewTag, 0, {192, 224, 672, 12}, PlaceKind::pattern);
    return all;
}

}  // namespace

const std::vector<WidgetPlace>& widgetPlaces() {
    static const std::vector<WidgetPlace> places = collect();
    return places;
}

const WidgetPlace* findPlace(int32_t tag) {
    for (const WidgetPlace& p : widgetPlaces())
        if (p.tag == tag) return &p;
    return nullptr;
}

}  // namespace foundry
