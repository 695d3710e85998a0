#pragma once
// Builds the whole interface into the editor's frame from the layout tables
// (LayoutRows.h), in their build order: the hidden learn menu, the two
// widget containers, images, knobs, displays and buttons (each with its
// common set-up: binding, image, margins, layer or frame, learn list, page),
// then the option menus with the buttons between them, the mouse areas,
// the containers' widgets, the pattern editors, the preset menus and the
// version label, and the end of the open: companion buttons, re-sent
// values, picture fonts, linked value displays, containers' and layers'
// widgets into place, view groups, the insertion anchor and the learn menu
// for every learnable widget.
//
// Widgets follow the plug-in object's stored parameter values (knobs), the
// editor's InterfaceValues (states, indices, displayed units, names) and the
// display block (what the render publishes).  Every widget gets the plug-in
// object's page set and its page.  GUI thread, inside the editor's open.

#include <array>
#include <utility>
#include <vector>

#include "editor/LayoutRows.h"

class BWUniClient;
class BWUniClientEditor;
class InterfaceValues;
class PageSet;
struct InterfaceWidgets;

namespace VSTGUI {
class BWControl;
class BWFrame;
class BWOptionMenu;
class BWViewContainer;
class CBitmap;
class CView;
struct CRect;
}  // namespace VSTGUI

// A layout box as the toolkit's rectangle.
VSTGUI::CRect rectOf(const layout::Box& box);

class InterfaceBuilder {
public:
    static constexpr int32_t kLayers = 32;

    InterfaceBuilder(BWUniClientEditor& editor, BWUniClient& client, VSTGUI::BWFrame& frame, InterfaceValues& values,
                     InterfaceWidgets& widgets);
    // Everything up to the learn menu's hand-out; the editor's open then
    // looks for instruments and marks the frame dirty.
    void build();

private:
    // The first half (InterfaceBuilder.cpp).
    void buildHiddenLearnMenu();
    void buildContainers();
    void buildImage(const layout::ImageRow& row);
    void buildKnob(const layout::KnobRow& row);
    void buildDisplay(const layout::DisplayRow& row);
    void buildButton(const layout::ButtonRow& row);
    float* displaySource(const layout::DisplayRow& row);

    // The second half (InterfaceBuilderMenus.cpp, InterfaceFinish.cpp).
    void buildMenus();
    void buildVisibleMenu(const layout::MenuRow& row);
    void buildLearnMenu();
    void buildHiddenMenu(const layout::HiddenMenuRow& row);
    void buildLateButtonsAfter(int32_t tag);
    void buildMouseArea(const layout::MouseAreaRow& row);
    void buildContainerWidgets();
    void buildObjectViews();
    void buildZoneView();
    void buildButtonLine(const layout::ButtonLineRow& row);
    void buildStepTable(const layout::TableRow& row);
    void buildPresetMenu(const layout::PresetMenuRow& row);
    void buildVersionLabel();
    void finish();
    void wireCompanions();
    void resendValues();
    void giveFontsTheirGlyphs();
    void linkValueDisplays();
    void placeCollected();
    void handOutLearnMenu();

    // The common set-up.
    VSTGUI::CBitmap* image(int32_t id) const;
    // Stores the widget under its tag and gives it the page set and page
    // (none for kNoPage).
    void record(VSTGUI::BWControl* widget, int32_t tag, int16_t page);
    // Into the frame now, or onto a layer list for the end of the open.
    void add(VSTGUI::BWControl* widget, int8_t layer);
    void addToFrame(VSTGUI::CView* view);
    static void applyMargins(VSTGUI::BWControl* widget, const layout::Margins& margins);

    BWUniClientEditor& editor;
    BWUniClient& client;
    VSTGUI::BWFrame& frame;
    InterfaceValues& values;
    InterfaceWidgets& widgets;
    const PageSet* pages;
    std::array<std::vector<VSTGUI::BWControl*>, kLayers> layers;
    std::vector<VSTGUI::BWControl*> learnList;
    // (container, widget) pairs placed in their container at the end.
    std::vector<std::pair<VSTGUI::BWViewContainer*, VSTGUI::BWControl*>> containerList;
};
