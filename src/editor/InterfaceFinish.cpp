// The end of the open: companion buttons, re-sent values, key colours and
// picture fonts, the value displays knobs show while held, the collected
// widgets into their containers and the frame, view groups, the insertion
// anchor and the learn menu.

#include <algorithm>

#include "editor/BWUniClientEditor.h"
#include "editor/InterfaceBuilder.h"
#include "editor/InterfaceWidgets.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "plugin/BWUniClient.h"
#include "widgets/BWButton.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWViewContainer.h"

using namespace layout;

namespace {

constexpr int32_t kNextTag = 10051;
constexpr int32_t kPreviousTag = 10052;
// The images whose pure white is see-through, in the order they get it.
constexpr int32_t kKeyedImages[] = {Image::ChordNumbers, Image::LeftMeter,      Image::RightMeter,
                                    Image::Font9Glyphs,  Image::EventTableBars, Image::PatternKeyNumbers};
// The glyph strips of picture fonts 0 to 10.
constexpr int32_t kGlyphImages[] = {Image::Font0Glyphs, Image::Font1Glyphs, Image::Font2Glyphs, Image::Font3Glyphs,
                                    Image::Font4Glyphs, Image::Font5Glyphs, Image::Font6Glyphs, Image::Font7Glyphs,
                                    Image::Font8Glyphs, Image::Font9Glyphs, Image::Font10Glyphs};
constexpr int32_t kCondensedFont = 9;

}  // namespace

void InterfaceBuilder::finish() {
    wireCompanions();
    resendValues();
    frame.hintShowDelay = 2;
    frame.hintHideDelay = 2;
    for (int32_t id : kKeyedImages)
        if (VSTGUI::CBitmap* keyed = image(id)) keyed->setTransparentColor(VSTGUI::colourWhite);
    giveFontsTheirGlyphs();
    linkValueDisplays();
    placeCollected();
    for (VSTGUI::ViewGroup& group : widgets.viewGroups) VSTGUI::nudgeViewGroup(group);
    frame.setInsertionAnchor(widgets.insertionAnchor);
    handOutLearnMenu();
}

// The next and previous buttons step their menu and follow no value of
// their own any more; the opening button lights while the list is open.
void InterfaceBuilder::wireCompanions() {
    for (const CompanionRow& row : companions()) {
        auto* menu = dynamic_cast<VSTGUI::BWOptionMenu*>(widgets.find(row.menu));
        if (!menu) continue;
        for (auto [tag, companionTag] : {std::pair{row.next, kNextTag}, std::pair{row.previous, kPreviousTag}}) {
            auto* button = dynamic_cast<VSTGUI::BWButton*>(widgets.find(tag));
            if (!button) continue;
            button->setListener(static_cast<VSTGUI::CControlListener*>(menu));
            button->setTag(companionTag);
            button->boundValue = nullptr;
        }
        if (auto* opener = dynamic_cast<VSTGUI::BWButton*>(widgets.find(row.opener))) {
            opener->setExtraPointer(static_cast<VSTGUI::BWOptionMenuBase*>(menu));
            menu->extraCallBack = opener;
        }
    }
}

// The page switches and selectors set their pages and the rest again from
// what the plug-in object keeps.
void InterfaceBuilder::resendValues() {
    for (int32_t tag : resentTags()) client.setParameter(tag, client.rawValue(tag));
}

// A glyph strip whose white is its see-through colour is drawn through that
// key: drawn opaque, every glyph would stand in a white box.
void InterfaceBuilder::giveFontsTheirGlyphs() {
    VSTGUI::BWPictureFont* const* fonts = editor.getPictureFontTable();
    for (size_t i = 0; i < std::size(kGlyphImages); ++i) {
        if (!fonts[i]) continue;
        fonts[i]->setPicture(image(kGlyphImages[i]));
        if (static_cast<int32_t>(i) == kCondensedFont) fonts[i]->setCondensed(true);
        fonts[i]->setTransparent(std::find(std::begin(kKeyedImages), std::end(kKeyedImages), kGlyphImages[i]) !=
                                 std::end(kKeyedImages));
    }
}

void InterfaceBuilder::linkValueDisplays() {
    for (auto knobs : {mainPageKnobs(), soundPageKnobs(), effectsPageKnobs()}) {
        for (const KnobRow& row : knobs) {
            VSTGUI::BWControl* knob = widgets.find(row.tag);
            for (int16_t display : row.displays)
                if (VSTGUI::BWControl* shown = display ? widgets.find(display) : nullptr) knob->addLinkedControl(shown);
        }
    }
}

void InterfaceBuilder::placeCollected() {
    for (auto& [container, widget] : containerList) {
        const VSTGUI::CRect& at = widget->getViewSize();
        container->addView(widget, at.left, at.top);
    }
    for (size_t layer = 0; layer < layers.size(); ++layer) {
        for (VSTGUI::BWControl* widget : layers[layer]) {
            if (layer == kValueLayer && !widgets.insertionAnchor) widgets.insertionAnchor = widget;
            addToFrame(widget);
        }
    }
}

void InterfaceBuilder::handOutLearnMenu() {
    auto* menu = dynamic_cast<VSTGUI::BWOptionMenu*>(widgets.find(kLearnMenuTag));
    if (!menu) return;
    for (VSTGUI::BWControl* widget : learnList) widget->setExtraPointer(static_cast<VSTGUI::BWOptionMenuBase*>(menu));
    menu->setVisible(false);
    editor.setContextMenu(menu);
}
