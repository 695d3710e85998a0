// The layout tables read row by row, without opening an editor: every tag
// a widget edits names a parameter binding or one of the editor's own
// widgets, display-only tags shadow no parameter, linked value displays
// stand on their knob's page, every image exists with the frames the row
// asks of it, every box lies inside the window, and no tag is built twice.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "editor/EditRoute.h"
#include "editor/LayoutRows.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CResourceDescription.h"
#include "plugin/BindingTable.h"
#include "plugin/SteppedValue.h"

namespace {

using namespace layout;

constexpr int kWindowWidth = 960;
constexpr int kWindowHeight = 697;
// The locate panel's size: its buttons are placed inside it.
constexpr int kLocatePanelWidth = 300;
constexpr int kLocatePanelHeight = 184;
constexpr int16_t kSoundPage = 1;

bool hasBinding(int32_t tag) { return findBindingByTag(tag) != nullptr || findObjectBinding(tag) != nullptr; }

// One widget of any table, reduced to what the checks read.
struct Placed {
    std::string table;
    int32_t tag;
    int16_t page;
    Box box;
    int16_t image;
    int32_t frames;  // the frames the row cuts its image into; 0: not a strip
    int32_t frameHeight;
    bool edits;      // a knob, button or menu: its edits go to its tag
    bool inLocatePanel = false;
};

template <class Row>
void addPlain(std::vector<Placed>& all, const char* table, std::span<const Row> rows, bool edits) {
    for (const Row& r : rows) all.push_back({table, r.tag, r.page, r.box, r.image, 0, 0, edits});
}

std::vector<Placed> everyRow() {
    std::vector<Placed> all;
    for (auto [name, rows] : {std::pair{"main images", mainPageImages()}, {"effects images", effectsPageImages()},
                              {"lane images", lanePageImages()}})
        addPlain(all, name, rows, false);
    for (auto [name, rows] : {std::pair{"main knobs", mainPageKnobs()}, {"sound knobs", soundPageKnobs()},
                              {"effects knobs", effectsPageKnobs()}})
        for (const KnobRow& r : rows)
            all.push_back({name, r.tag, r.page, r.box, r.image, r.frameCount, r.frameHeight, true});
    for (auto [name, rows] : {std::pair{"main displays", mainPageDisplays()}, {"sound displays", soundPageDisplays()},
                              {"effects displays", effectsPageDisplays()}})
        for (const DisplayRow& r : rows) {
            const bool strip = r.kind == DisplayKind::picture;
            all.push_back({name, r.tag, r.page, r.box, r.image, strip ? r.frameCount : 0, r.frameHeight, false});
        }
    for (auto [name, rows] : {std::pair{"main buttons", mainPageButtons()}, {"sound buttons", soundPageButtons()},
                              {"effects buttons", effectsPageButtons()}, {"lane buttons", lanePageButtons()}})
        for (const ButtonRow& r : rows) {
            Placed p{name, r.tag, r.page, r.box, r.image, 0, 0, true};
            p.inLocatePanel = r.inLocatePanel;
            all.push_back(p);
        }
    for (const LateButton& late : lateButtons())
        all.push_back({"late buttons", late.row.tag, late.row.page, late.row.box, late.row.image, 0, 0, true});
    for (const MenuRow& r : visibleMenus()) all.push_back({"menus", r.tag, r.page, r.box, r.closedPicture, 0, 0, true});
    for (const HiddenMenuRow& r : hiddenMenus()) all.push_back({"hidden menus", r.tag, kNoPage, r.box, 0, 0, 0, true});
    for (const MouseAreaRow& r : mouseAreas()) all.push_back({"mouse areas", r.tag, r.page, r.box, 0, 0, 0, true});
    for (const ButtonLineRow& r : buttonLines())
        all.push_back({"button lines", r.tag, 0, r.box, r.stepBitmap, 0, 0, true});
    for (const TableRow& r : stepTables()) {
        all.push_back({"step tables", r.tag, r.page, r.box, r.background, 0, 0, true});
        for (int16_t image : {r.barBitmap, r.stepBitmap})
            all.push_back({"step tables", r.tag, r.page, r.box, image, 0, 0, true});
    }
    for (const PresetMenuRow& r : presetMenus())
        all.push_back({"preset menus", r.tag, r.page, r.box, r.background, 0, 0, true});
    return all;
}

std::string where(const Placed& p) { return p.table + " tag " + std::to_string(p.tag); }

TEST(LayoutTables, EveryEditedTagIsAParameterOrAnEditorWidgetAndDisplaysShadowNone) {
    // The editor's own tags that widgets edit: the menus and their openers.
    const std::set<int32_t> ownEdited = {
        Widget::ChordBankOpener,     Widget::Osc1InstrumentOpener, Widget::Osc2InstrumentOpener,
        Widget::Osc3InstrumentOpener, Widget::GlobalPresetOpener,  Widget::SoundPresetOpener,
        Widget::SequencePresetOpener, Widget::ChordBankMenu,       Widget::Osc1InstrumentMenu,
        Widget::Osc2InstrumentMenu,  Widget::Osc3InstrumentMenu,   Widget::GlobalPresetMenu,
        Widget::SoundPresetMenu,     Widget::SequencePresetMenu,   kExportButtonTag};
    std::set<int32_t> editedTags, shownTags;
    for (const Placed& p : everyRow()) (p.edits ? editedTags : shownTags).insert(p.tag);
    for (const Placed& p : everyRow()) {
        if (p.edits) {
            // A parameter the plug-in object takes (with a binding, or one of
            // its pattern edits and switches), or one of the editor's own.
            const bool parameter = p.tag >= 0 && p.tag <= Tag::HighestIndex && !shownTags.count(p.tag);
            EXPECT_TRUE(hasBinding(p.tag) || parameter || ownEdited.count(p.tag)) << where(p);
            EXPECT_NE(routeOf(p.tag).action, EditRoute::Action::Unscaled) << where(p);
        } else {
            EXPECT_FALSE(hasBinding(p.tag)) << where(p) << " shows under a parameter's tag";
            EXPECT_FALSE(editedTags.count(p.tag)) << where(p) << " shares its tag with an edited widget";
            EXPECT_GE(p.tag, 0) << where(p);
            EXPECT_LE(p.tag, Widget::VersionLabel) << where(p);
        }
    }
    EXPECT_GT(editedTags.size(), 200u);
    EXPECT_GT(shownTags.size(), 90u);
}

TEST(LayoutTables, LinkedDisplaysStandOnTheirKnobsPage) {
    std::map<int32_t, int16_t> displayPage;
    for (auto rows : {mainPageDisplays(), soundPageDisplays(), effectsPageDisplays()})
        for (const DisplayRow& r : rows) displayPage[r.tag] = r.page;
    int links = 0;
    for (auto rows : {mainPageKnobs(), soundPageKnobs(), effectsPageKnobs()})
        for (const KnobRow& k : rows)
            for (int16_t display : k.displays) {
                if (display == 0) continue;
                ++links;
                const auto found = displayPage.find(display);
                ASSERT_NE(found, displayPage.end()) << "knob " << k.tag << " links display " << display;
                // The master tune knob (always shown) keeps its text on the
                // sound page, where the layout has always put it.
                const bool soundPageText = k.tag == Tag::Mastertune && found->second == kSoundPage;
                EXPECT_TRUE(found->second == k.page || soundPageText)
                    << "knob " << k.tag << " links display " << display;
            }
    EXPECT_GT(links, 60);
}

TEST(LayoutTables, ImagesExistWithTheFramesTheRowsCut) {
    std::map<int16_t, std::pair<int32_t, int32_t>> sizes;  // id: width, height
    for (const Placed& p : everyRow()) {
        if (p.image == 0) continue;  // none
        ASSERT_GE(p.image, Image::First) << where(p);
        ASSERT_LE(p.image, Image::Last) << where(p);
        if (!sizes.count(p.image)) {
            VSTGUI::CBitmap bitmap{VSTGUI::CResourceDescription(p.image)};
            ASSERT_TRUE(bitmap.isLoaded()) << where(p);
            sizes[p.image] = {bitmap.getWidth(), bitmap.getHeight()};
        }
        if (p.frames > 0) {
            EXPECT_EQ(p.frames * p.frameHeight, sizes[p.image].second) << where(p) << " cuts image " << p.image;
            EXPECT_EQ(p.frameHeight, p.box.h) << where(p);
        }
    }
    EXPECT_GT(sizes.size(), 80u);
}

TEST(LayoutTables, EveryBoxLiesInsideTheWindowAndNoTagIsBuiltTwiceOnAPage) {
    std::map<std::pair<int32_t, int16_t>, std::string> seen;  // (tag, page)
    for (const Placed& p : everyRow()) {
        const int right = p.inLocatePanel ? kLocatePanelWidth : kWindowWidth;
        const int bottom = p.inLocatePanel ? kLocatePanelHeight : kWindowHeight;
        EXPECT_TRUE(p.box.w > 0 && p.box.h > 0) << where(p);
        EXPECT_TRUE(p.box.x >= 0 && p.box.y >= 0 && p.box.x + p.box.w <= right && p.box.y + p.box.h <= bottom)
            << where(p) << " at " << p.box.x << "," << p.box.y << " " << p.box.w << "x" << p.box.h;
        if (p.table == "step tables" && seen.count({p.tag, p.page})) continue;  // its three images
        const auto [at, fresh] = seen.emplace(std::pair{p.tag, p.page}, p.table);
        EXPECT_TRUE(fresh) << where(p) << " also in " << at->second;
    }
}

}  // namespace

// What a menu lists, a button steps through and the parameter selects are one
// count: each entry or state, sent through its edit route, lands on its own
// step of the value the plug-in object keeps.
TEST(LayoutTables, MenusAndSteppingButtonsHaveTheirParametersStepCount) {
    struct Stepped {
        int32_t tag;
        int32_t count;  // entries or states the widget offers
        bool menu;
    };
    std::vector<Stepped> stepped;
    for (const MenuRow& r : visibleMenus()) stepped.push_back({r.tag, static_cast<int32_t>(r.entries.size()), true});
    for (const HiddenMenuRow& r : hiddenMenus())
        if (stepCount(r.tag) > 0) stepped.push_back({r.tag, r.entries, false});
    for (auto rows : {mainPageButtons(), soundPageButtons()})
        for (const ButtonRow& r : rows)
            if (r.stateCount > 2) stepped.push_back({r.tag, r.stateCount, false});
    ASSERT_GT(stepped.size(), 30u);
    for (const Stepped& s : stepped) {
        ASSERT_EQ(stepCount(s.tag), s.count) << "tag " << s.tag;
        const EditRoute route = routeOf(s.tag);
        for (int32_t k = 0; k < s.count; ++k) {
            SteppedValue value;
            value.setSteps(std::min(static_cast<float>(k) * route.scale, 1.0f), stepCount(s.tag));
            EXPECT_EQ(value.stepIndex, k) << "tag " << s.tag << (s.menu ? " entry " : " state ") << k;
        }
    }
    // Continuous values and switches have no steps.
    for (int32_t tag : {Tag::MasterLevel, Tag::FilterCutoff, Tag::Glide, Tag::RvsOnOff, Tag::ChordModePages})
        EXPECT_EQ(stepCount(tag), 0) << "tag " << tag;
}
