// The second half of the open: the option menus with the buttons built
// between them, the mouse areas, the containers' widgets, the pattern
// editors, the preset menus and the version label.

#include <algorithm>
#include <string>

#include "editor/BWUniClientEditor.h"
#include "editor/InterfaceBuilder.h"
#include "editor/InterfaceValues.h"
#include "editor/InterfaceWidgets.h"
#include "guitoolkit/BWFrame.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"
#include "plugin/InterfaceRequests.h"
#include "widgets/BWBtnLineView.h"
#include "widgets/BWButton.h"
#include "widgets/BWLabel.h"
#include "widgets/BWLocalLink.h"
#include "widgets/BWMouseArea.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWPolyObjectView.h"
#include "widgets/BWRegPathVisualizer.h"
#include "widgets/BWTableView.h"
#include "widgets/BWViewContainer.h"
#include "widgets/BWZoneView.h"

using namespace layout;
using VSTGUI::BWOptionMenu;
using VSTGUI::CColor;
using VSTGUI::CRect;

namespace {

CColor rgb(uint8_t r, uint8_t g, uint8_t b) { return CColor{r, g, b, 255}; }
CColor rgb(const uint8_t (&c)[3]) { return rgb(c[0], c[1], c[2]); }
CColor grey(uint8_t level) { return rgb(level, level, level); }

const CColor kBlack = rgb(0, 0, 0);
const CColor kListFill = rgb(54, 54, 51);
const CColor kListFrame = rgb(192, 192, 192);
const CColor kCurrentEntry = rgb(128, 101, 15);
const CColor kYellow = rgb(255, 255, 0);

constexpr uint64_t kListStyle = BWOptionMenu::kStyleShowCurrent;

// The DirtyView bit of a pattern editor's tag, -1 for none.
int32_t dirtyViewBit(int32_t tag) {
    switch (tag) {
        case Tag::Cutoff1:
        case Tag::Cutoff2:
        case Tag::Cutoff3:
        case Tag::Cutoff4:
        case Tag::Cutoff5: return tag - Tag::Cutoff1;  // the five lanes
        case Tag::ChordTable: return 5;
        case Tag::GateTable: return 6;
        case Tag::StepEntryAccent: return 7;  // step lines 1 to 5
        case Tag::StepEntryArp: return 8;
        case Tag::StepEntryOctave: return 9;
        case Tag::StepEntryTie: return 10;
        case Tag::StepEntryGlide: return 11;
        default: return -1;
    }
}

}  // namespace

// ---- option menus ------------------------------------------------------------------

void InterfaceBuilder::buildMenus() {
    for (const MenuRow& row : visibleMenus()) {
        if (row.tag == Tag::ExportLength) buildLearnMenu();
        buildVisibleMenu(row);
    }
    for (const HiddenMenuRow& row : hiddenMenus()) {
        buildHiddenMenu(row);
        buildLateButtonsAfter(row.tag);
    }
    for (const MouseAreaRow& row : mouseAreas()) buildMouseArea(row);
    buildContainerWidgets();
    buildObjectViews();
    buildZoneView();
    for (const ButtonLineRow& row : buttonLines()) buildButtonLine(row);
    for (const TableRow& row : stepTables()) buildStepTable(row);
    for (const PresetMenuRow& row : presetMenus()) buildPresetMenu(row);
    buildVersionLabel();
}

void InterfaceBuilder::buildVisibleMenu(const MenuRow& row) {
    auto* menu = new BWOptionMenu(rectOf(row.box), &editor, row.tag, &frame, nullptr, kListStyle);
    values.trackState(row.tag, static_cast<int32_t>(row.entries.size()));
    menu->boundIndex = values.at(row.tag);
    applyMargins(menu, row.margins);
    // The panel's look: picture-font rows on the lists' own fill.
    VSTGUI::BWPictureFont* const* fonts = editor.getPictureFontTable();
    menu->fontSize = row.fontSize;
    menu->scrollBarWidth = 11;
    menu->insetTop = menu->insetBottom = menu->insetLeft = menu->insetRight = 4;
    menu->rowExtra = 0;
    menu->pictureFont = fonts[0];
    menu->hoverFont = fonts[1];
    menu->titleFont = fonts[1];
    if (row.textFont >= 0) menu->textFont = fonts[row.textFont];
    menu->listOffsetX = row.listOffsetX;
    menu->listOffsetY = row.listOffsetY;
    menu->listFrame = true;
    menu->textColour = kBlack;
    menu->listFillColour = kListFill;
    menu->hoverFillColour = kListFill;
    menu->hoverTextColour = kBlack;
    menu->listFrameColour = kListFrame;
    menu->scrollBarColour = kBlack;
    menu->scrollBarThumbColour = kBlack;
    menu->currentEntryColour = kCurrentEntry;
    menu->closedPicture = image(row.closedPicture);
    menu->closedPictureFrameHeight = row.closedFrameHeight;
    addToFrame(menu);
    for (const char* entry : row.entries) menu->addEntry(entry);
    menu->setValue(row.start);
    record(menu, row.tag, row.page);
}

void InterfaceBuilder::buildLearnMenu() {
    auto* menu = new BWOptionMenu(CRect(620, 3, 740, 18), &editor, kLearnMenuTag, &frame, nullptr,
                                  BWOptionMenu::kStylePlain);
    menu->fontSize = 15;
    menu->scrollBarWidth = 11;
    menu->insetTop = menu->insetBottom = menu->insetLeft = menu->insetRight = 0;
    menu->listFrame = true;
    menu->rowExtra = 0;
    menu->scrollBarThumbColour = kBlack;
    menu->currentEntryColour = kCurrentEntry;
    menu->listFrameColour = kListFrame;
    // Its rows are frames of a picture over the background, labels included.
    menu->setBackground(image(Image::LearnRow));
    menu->rowPicture = image(Image::LearnRowHover);
    menu->currentRowPicture = nullptr;
    menu->textColour = kBlack;
    menu->listFillColour = kBlack;
    menu->hoverFillColour = kBlack;
    menu->hoverTextColour = kBlack;
    menu->scrollBarColour = kBlack;
    menu->listFrameColour = kListFrame;
    addToFrame(menu);
    menu->addEntry("entry");
    menu->addEntry("entry");
    menu->setValue(0.0f);
    record(menu, kLearnMenuTag, 0);
}

void InterfaceBuilder::buildHiddenMenu(const HiddenMenuRow& row) {
    auto* menu = new BWOptionMenu(rectOf(row.box), &editor, row.tag, &frame, nullptr, kListStyle);
    menu->fontSize = 16;
    menu->scrollBarWidth = 11;
    menu->insetTop = menu->insetBottom = menu->insetLeft = menu->insetRight = 0;
    menu->rowExtra = 0;
    menu->textColour = kBlack;
    menu->listFillColour = kBlack;
    menu->hoverFillColour = kBlack;
    menu->hoverTextColour = kBlack;
    menu->scrollBarColour = kBlack;
    menu->scrollBarThumbColour = kBlack;
    menu->listFrameColour = rgb(127, 150, 152);
    addToFrame(menu);
    menu->setVisible(false);
    for (int32_t i = 0; i < row.entries; ++i) menu->addEntry("entry", i);
    record(menu, row.tag, kNoPage);
}

void InterfaceBuilder::buildLateButtonsAfter(int32_t tag) {
    for (int32_t after = tag;;) {
        const auto late = std::find_if(lateButtons().begin(), lateButtons().end(),
                                       [&](const LateButton& b) { return b.builtAfter == after; });
        if (late == lateButtons().end()) return;
        buildButton(late->row);
        after = late->row.tag;
    }
}

// ---- mouse areas and the containers' widgets ----------------------------------------------

void InterfaceBuilder::buildMouseArea(const MouseAreaRow& row) {
    auto* area = new VSTGUI::BWMouseArea(rectOf(row.box), &editor, row.tag, &frame);
    area->clampPosition = true;
    area->trackHover = false;
    area->undoOnLeftOnly = false;
    area->wheelEnabled = false;
    addToFrame(area);
    record(area, row.tag, row.page);
}

void InterfaceBuilder::buildContainerWidgets() {
    auto* path = new VSTGUI::BWRegPathVisualizer(CRect(7, 156, 225, 175), &editor, kLibraryPathTag, &frame,
                                                 "librarypath");
    path->setBackground(nullptr);
    path->fillColour = rgb(65, 64, 64);
    record(path, kLibraryPathTag, 0);
    containerList.emplace_back(widgets.locateContainer, path);

    // The manual itself, not only its folder (the hook menu opens that).
    auto* link = new VSTGUI::BWLocalLink(CRect(131, 87, 200, 156), &editor, kManualLinkTag, &frame, nullptr, false);
    link->ownBitmap = image(Image::ManualLink);
    link->useOwnBitmap = true;
    link->setBackground(image(Image::ManualLink));
    link->fillColour = kBlack;
    record(link, kManualLinkTag, 0);
    containerList.emplace_back(widgets.hookContainer, link);
}

// ---- pattern editors -----------------------------------------------------------------------

// Both views follow the display block's object count and positions; what
// is copied once comes from the editor's fixed geometry.  Inputs with one
// float of the plug-in object (the colours, the bar view's alpha) are bound
// as one float, which every object shares.
void InterfaceBuilder::buildObjectViews() {
    using View = VSTGUI::BWPolyObjectView;
    using Input = VSTGUI::BWPolyInput;
    DisplayBlock& block = client.displayBlock();
    InterfaceValues::ObjectGeometry& g = values.geometry();
    constexpr size_t n = InterfaceValues::kObjects;
    const auto colours = [&](View* view) {
        for (View::Input c : {View::kRed, View::kGreen, View::kBlue}) view->bind(c, Input::single(&g.colour));
    };
    // The inputs copied once are copied for every object the block holds,
    // whatever the count at the open: a count of 0 (nothing playing) would
    // copy none of them, and the objects would show no size from then on.
    static const float kAllObjects = static_cast<float>(n);
    const auto finishView = [&](View* view, int32_t tag, std::initializer_list<View::Input> once, int16_t page) {
        view->bindCount(&kAllObjects);
        view->resizeObjects();
        view->bindCount(&block.objectCount);
        for (View::Input input : once) view->unbind(input);
        for (View::Input c : {View::kRed, View::kGreen, View::kBlue}) view->unbind(c);
        addToFrame(view);
        record(view, tag, page);
    };

    auto* sprites = new View(CRect(194, 637, 866, 644), &editor, kKeyStripTag, &frame);
    sprites->setBackground(image(Image::SpriteStripBackground));
    sprites->setSheet(image(Image::NoteSprites));
    sprites->setTransparency(false);
    sprites->alphaDraw = true;
    sprites->fillColour = kBlack;
    sprites->bind(View::kX, Input::array(block.pixels.data(), n));
    sprites->bind(View::kAlpha, Input::array(block.objectAlpha.data(), n));
    sprites->bind(View::kSpriteY, Input::array(block.objectSpriteY.data(), n));
    sprites->bind(View::kY, Input::array(g.spriteTop.data(), n));
    sprites->bind(View::kWidth, Input::array(g.spriteWidth.data(), n));
    sprites->bind(View::kHeight, Input::array(g.spriteHeight.data(), n));
    sprites->bind(View::kSpriteX, Input::array(g.spriteTop.data(), n));  // the same array as y
    colours(sprites);
    sprites->drawBackground = false;
    finishView(sprites, kKeyStripTag, {View::kY, View::kWidth, View::kHeight, View::kSpriteX}, 0);

    auto* bars = new View(CRect(193, 645, 865, 679), &editor, kBarStripTag, &frame);
    bars->setBackground(image(Image::EventTableGrid));
    bars->setSheet(image(Image::EventTableBars));
    bars->setTransparency(false);
    bars->alphaDraw = false;
    bars->fillColour = kBlack;
    bars->bind(View::kX, Input::array(block.pixels2.data(), n));
    bars->bind(View::kHeight, Input::array(block.height2.data(), n));
    bars->bind(View::kY, Input::array(g.barTop.data(), n));
    bars->bind(View::kWidth, Input::array(g.barWidth.data(), n));
    bars->bind(View::kAlpha, Input::single(&g.barAlpha));
    bars->bind(View::kSpriteX, Input::array(g.barSpriteX.data(), n));
    bars->bind(View::kSpriteY, Input::array(g.barSpriteY.data(), n));
    colours(bars);
    finishView(bars, kBarStripTag, {View::kY, View::kWidth, View::kAlpha, View::kSpriteX, View::kSpriteY}, 13);
}

void InterfaceBuilder::buildZoneView() {
    auto* zones = new VSTGUI::BWZoneView(CRect(192, 224, 864, 236), &editor, kZoneViewTag, &frame,
                                         &client.patterns().zones);
    zones->visibleKeys = 32;
    zones->scroll = nullptr;
    zones->setZoneBitmap(image(Image::ZoneBar));
    zones->deleteEnabled = false;
    zones->createOnClick = false;
    zones->pushAlways = true;
    zones->frameZones = false;
    zones->zoneColourFrom = rgb(20, 64, 116);
    zones->zoneColourTo = rgb(0, 128, 192);
    zones->frameColour = kListFrame;
    zones->keyLimit = 32;
    zones->alpha = 140;
    addToFrame(zones);
    record(zones, kZoneViewTag, 0);
}

void InterfaceBuilder::buildButtonLine(const ButtonLineRow& row) {
    auto* line = new VSTGUI::BWBtnLineView(rectOf(row.box), &editor, row.tag, &frame);
    line->model = &client.patterns().stepLine(static_cast<int>(row.model));
    line->setStepBitmap(image(row.stepBitmap));
    line->setPlayingStepBitmap(nullptr);
    line->lastPlayStep = -1;
    line->lastLine = -1;
    line->showValueZero = false;
    addToFrame(line);
    learnList.push_back(line);
    record(line, row.tag, 0);
    editor.setDirtyView(dirtyViewBit(row.tag), line);
}

void InterfaceBuilder::buildStepTable(const TableRow& row) {
    PatternModels& models = client.patterns();
    BWTable* tables[] = {&models.eventTable,     &models.chordTable,     &models.gateTable,
                         &models.cutoffLane(0),  &models.cutoffLane(1),  &models.cutoffLane(2),
                         &models.cutoffLane(3),  &models.cutoffLane(4)};
    auto* view = new VSTGUI::BWTableView(rectOf(row.box), &editor, row.tag, &frame, 1);
    view->setBackground(image(row.background));
    addToFrame(view);
    view->setTable(tables[static_cast<size_t>(row.model)]);
    view->backgroundColour = rgb(36, 36, 36);
    view->barColour = rgb(row.bar);
    view->lineColour = grey(row.line);
    view->highlightColour = rgb(row.highlight);
    view->rulerColour = kBlack;
    if (row.barBitmap) {
        view->setBarBitmap(image(row.barBitmap));
    } else {
        view->setStepBitmap(image(row.stepBitmap), static_cast<uint64_t>(row.stepFrames));
    }
    record(view, row.tag, row.page);
    if (row.learn) learnList.push_back(view);
    editor.setDirtyView(dirtyViewBit(row.tag), view);
}

// ---- preset menus and the version label -------------------------------------------------------

void InterfaceBuilder::buildPresetMenu(const PresetMenuRow& row) {
    auto* menu = new BWOptionMenu(rectOf(row.box), &editor, row.tag, &frame, "default", row.style);
    const bool instruments = row.kind == PresetMenuKind::instruments;
    VSTGUI::BWPictureFont* const* fonts = editor.getPictureFontTable();
    menu->fontSize = instruments ? 17 : 15;
    menu->scrollBarWidth = 11;
    menu->insetTop = 4;
    menu->insetBottom = 2;
    menu->insetLeft = 4;
    menu->insetRight = 2;
    if (instruments) menu->font = editor.textFont(1);
    menu->pictureFont = fonts[0];
    menu->hoverFont = fonts[1];
    menu->titleFont = fonts[instruments ? 1 : 2];
    menu->textFont = fonts[row.kind == PresetMenuKind::chordBanks ? 4 : instruments ? 9 : 1];
    menu->textColour = instruments ? kBlack : kYellow;
    menu->listFillColour = kListFill;
    menu->hoverFillColour = kListFill;
    menu->hoverTextColour = instruments ? kBlack : kYellow;
    menu->listFrameColour = kListFrame;
    menu->scrollBarColour = kBlack;
    menu->scrollBarThumbColour = kBlack;
    menu->currentEntryColour = kListFrame;
    menu->setBackground(image(row.background));
    menu->listOffsetX = row.kind == PresetMenuKind::chordBanks ? 124 : 0;
    menu->listOffsetY = row.kind == PresetMenuKind::chordBanks ? 17 : instruments ? 20 : 22;
    menu->listFrame = true;
    menu->rowExtra = 0;
    menu->textInsetX = row.kind == PresetMenuKind::chordBanks ? 0 : instruments ? 2 : 1;
    menu->titleEntryText = "--Preset--";
    menu->arrowGap = 2;
    using Name = InterfaceValues::Name;
    switch (row.kind) {
        case PresetMenuKind::chordBanks: menu->fileName = values.name(Name::chordBank); break;
        case PresetMenuKind::instruments:
            menu->fileName = values.name(static_cast<Name>(static_cast<int32_t>(Name::layer1) + row.index));
            break;
        case PresetMenuKind::presets:
            menu->fileName = values.name(static_cast<Name>(static_cast<int32_t>(Name::presets0) + row.index));
            editor.addPresetMenu(row.index, menu);
            break;
    }
    applyMargins(menu, row.margins);
    addToFrame(menu);
    if (row.kind == PresetMenuKind::chordBanks) {
        std::string folder = "error";
        getSettingString("Chord BanksPath", folder);
        menu->fillFolderMenu(folder.c_str(), "bwh", -1, true);
    } else if (row.kind == PresetMenuKind::presets) {
        constexpr const char* kExtensions[3] = {"zvp", "zvq", "zvk"};
        std::string folder;
        getSettingString("presetpath" + std::to_string(row.index), folder);
        menu->fillFolderMenu(folder.c_str(), kExtensions[row.index], row.index, true);
    } else {
        editor.addInstrumentMenu(menu);
    }
    record(menu, row.tag, row.page);
}

void InterfaceBuilder::buildVersionLabel() {
    auto* label = new VSTGUI::BWLabel(CRect(132, 40, 172, 60), &editor, kVersionLabelTag, &frame, "1.5.9",
                                      editor.textFont(0), 12, rgb(207, 207, 207), 0, 0);
    widgets.versionLabel = label;
    record(label, kVersionLabelTag, 0);
    containerList.emplace_back(widgets.hookContainer, label);
}
