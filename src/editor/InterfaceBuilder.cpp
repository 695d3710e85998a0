// The first half of the open: the hidden learn menu, the two containers,
// the images, knobs, displays and buttons of every page, and the set-up
// every widget gets.

#include "editor/InterfaceBuilder.h"

#include "core/SharedFloat.h"
#include "editor/BWUniClientEditor.h"
#include "editor/InterfaceValues.h"
#include "editor/InterfaceWidgets.h"
#include "editor/ValueFormatters.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "platform/GuiThread.h"
#include "plugin/BWUniClient.h"
#include "widgets/BWBPMControl.h"
#include "widgets/BWButton.h"
#include "widgets/BWDisplay.h"
#include "widgets/BWImage.h"
#include "widgets/BWKnob.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWViewContainer.h"

using namespace layout;
using VSTGUI::BWControl;
using VSTGUI::CRect;

namespace {

constexpr int32_t kValueFont = 7;  // the picture font of every value text (image 1095)
constexpr int32_t kPictureTextSize = 12;
const VSTGUI::CColor kWhite{255, 255, 255, 255};
const VSTGUI::CColor kGreenText{73, 212, 0, 255};

VSTGUI::BWValueToText formatterOf(TextForm form) {
    switch (form) {
        case TextForm::time: return formatTime;
        case TextForm::percent: return formatPercent;
        case TextForm::decibel: return formatDecibel;
        case TextForm::bipolarPercent: return formatBipolarPercent;
        case TextForm::frequency: return formatFrequency;
        case TextForm::listName: return formatListEntry;
        default: return nullptr;
    }
}

// The value texts' look: the picture font, centred, two pixels down.
void asValueText(VSTGUI::BWDisplay* display, VSTGUI::BWPictureFont* font) {
    display->pictureFont = font;
    display->textAlign = 1;
    display->textMargins[1] = 2;
}

}  // namespace

CRect rectOf(const Box& b) { return CRect(b.x, b.y, b.x + b.w, b.y + b.h); }

InterfaceBuilder::InterfaceBuilder(BWUniClientEditor& editor, BWUniClient& client, VSTGUI::BWFrame& frame,
                                   InterfaceValues& values, InterfaceWidgets& widgets)
    : editor(editor),
      client(client),
      frame(frame),
      values(values),
      widgets(widgets),
      pages(&client.interfaceRequests().pages) {}

void InterfaceBuilder::build() {
    ZORVANE_ASSERT_GUI_THREAD();
    buildHiddenLearnMenu();
    for (VSTGUI::ViewGroup& group : widgets.viewGroups) group.members.clear();
    buildContainers();
    for (auto images : {mainPageImages(), effectsPageImages(), lanePageImages()})
        for (const ImageRow& row : images) buildImage(row);
    for (auto knobs : {mainPageKnobs(), soundPageKnobs(), effectsPageKnobs()})
        for (const KnobRow& row : knobs) buildKnob(row);
    for (auto displays : {mainPageDisplays(), soundPageDisplays(), effectsPageDisplays()})
        for (const DisplayRow& row : displays) buildDisplay(row);
    for (auto buttons : {mainPageButtons(), soundPageButtons(), effectsPageButtons(), lanePageButtons()})
        for (const ButtonRow& row : buttons) buildButton(row);
    buildMenus();
    finish();
}

// ---- the common set-up -----------------------------------------------------------

VSTGUI::CBitmap* InterfaceBuilder::image(int32_t id) const { return id ? editor.getBitmap(id) : nullptr; }

void InterfaceBuilder::record(BWControl* widget, int32_t tag, int16_t page) {
    if (tag >= 0 && tag < InterfaceWidgets::kTags) widgets.byTag[static_cast<size_t>(tag)] = widget;
    if (page == kNoPage) return;
    widget->pageSet = pages;
    widget->pageIndex = page;
}

void InterfaceBuilder::add(BWControl* widget, int8_t layer) {
    if (layer >= 0 && layer < kLayers) {
        layers[static_cast<size_t>(layer)].push_back(widget);
    } else {
        addToFrame(widget);
    }
}

// The frame takes over the maker's reference (its removal with forget
// drops both).
void InterfaceBuilder::addToFrame(VSTGUI::CView* view) { frame.addView(view); }

void InterfaceBuilder::applyMargins(BWControl* widget, const Margins& margins) {
    if (!margins.set) return;
    widget->margins[0] = margins.left;
    widget->margins[1] = margins.top;
    widget->margins[2] = margins.right;
    widget->margins[3] = margins.bottom;
    CRect rect = widget->getViewSize();
    widget->setViewSizeWithMargins(rect);
}

// ---- the hidden learn menu and the containers --------------------------------------

void InterfaceBuilder::buildHiddenLearnMenu() {
    auto* menu = new VSTGUI::BWOptionMenu(CRect(0, 0, 0, 0), &editor, layout::kHiddenLearnMenuTag, &frame, nullptr,
                                          VSTGUI::BWOptionMenu::kStylePlain);
    widgets.hiddenLearnMenu = menu;
    menu->addEntry("midi Learn", 0);
    menu->addEntry("clear", 1);
    addToFrame(menu);
}

void InterfaceBuilder::buildContainers() {
    struct Made {
        int32_t tag;
        Box box;
        int32_t image;
    };
    constexpr Made kContainers[] = {{kLocateContainerTag, {365, 223, 300, 184}, Image::LocatePanel},
                                    {kHookContainerTag, {365, 223, 300, 300}, Image::HookPanel}};
    VSTGUI::BWViewContainer* made[2] = {};
    for (int i = 0; i < 2; ++i) {
        auto* container = new VSTGUI::BWViewContainer(rectOf(kContainers[i].box), &editor, kContainers[i].tag, &frame);
        container->setBackground(image(kContainers[i].image));
        container->styleFlags = VSTGUI::BWViewContainer::kBitmapStyle;
        container->closeModeDefault = 3;
        container->setVisible(false);
        made[i] = container;
        addToFrame(container);
    }
    widgets.locateContainer = made[0];
    widgets.hookContainer = made[1];
    editor.setPopupContainer(made[0]);
    editor.setHookContainer(made[1]);
}

// ---- images, knobs, displays, buttons ----------------------------------------------------

void InterfaceBuilder::buildImage(const ImageRow& row) {
    auto* picture = new VSTGUI::BWImage(rectOf(row.box), &editor, row.tag, &frame, image(row.image), nullptr);
    DisplayBlock& block = client.displayBlock();
    switch (row.source) {
        case ImageSource::keyMarker:
            values.trackDisplay(row.tag);
            picture->xSource = values.at(row.tag);
            break;
        case ImageSource::lanePlayBar:
        case ImageSource::chordPlayBar:
            picture->xSource = row.source == ImageSource::lanePlayBar ? &block.counter1Pixels : &block.counter2Pixels;
            picture->alphaSource = &block.playBarAlpha;
            picture->alphaDraw = true;
            break;
        case ImageSource::pageImage:
            picture->alphaSource = &block.pageImageAlpha;
            picture->alphaDraw = true;
            break;
        case ImageSource::none: break;
    }
    // The frame finds the view under the pointer from the back: an image
    // that takes no clicks would stand for every knob in front of it (the
    // effects panel for every effect knob), which then never showed its
    // value while hovered nor took the wheel.
    picture->setMouseEnabled(false);
    // The moving images take part in the widgets' style again.
    if (row.source == ImageSource::keyMarker || row.source == ImageSource::lanePlayBar ||
        row.source == ImageSource::chordPlayBar)
        picture->styleFlags = 1;
    record(picture, row.tag, row.page);
    add(picture, row.layer);
}

void InterfaceBuilder::buildKnob(const KnobRow& row) {
    auto* knob = new VSTGUI::BWKnob(rectOf(row.box), &editor, row.tag, &frame, image(row.image), row.frameHeight,
                                    row.frameCount, row.dragScale);
    knob->boundValue = client.parameterValue(row.tag);
    knob->boundMin = 0.0f;
    knob->boundMax = 1.0f;
    if (knob->boundValue) knob->setValue(loadShared(*knob->boundValue));
    if (row.defaultValue != kNoDefault) knob->setDefaultValue(row.defaultValue);
    applyMargins(knob, row.margins);
    if (row.settings & kAbsolute) knob->positionMode = VSTGUI::BWKnob::kAbsolute;
    if (row.settings & kHorizontal) knob->dragAxis = VSTGUI::BWKnob::kDragHorizontal;
    if (row.settings & kFullFrameScale) knob->fullFrameScale = true;
    record(knob, row.tag, row.page);
    add(knob, row.layer);
    if (row.learn) learnList.push_back(knob);
}

float* InterfaceBuilder::displaySource(const DisplayRow& row) {
    DisplayBlock& block = client.displayBlock();
    switch (row.tag) {
        case Display::ChordNumber: return &block.chordNumber;
        case Display::Beat: return &block.beatIndicator;
        case Display::CompressorReduction: return &block.compressorReduction;
        default: return values.trackDisplay(row.tag) ? values.at(row.tag) : nullptr;
    }
}

void InterfaceBuilder::buildDisplay(const DisplayRow& row) {
    const CRect rect = rectOf(row.box);
    BWControl* widget = nullptr;
    switch (row.kind) {
        case DisplayKind::levelMeter: {
            DisplayBlock& block = client.displayBlock();
            float& peak = row.tag == Display::PeakLeft ? block.peakLeft : block.peakRight;
            widget = new VSTGUI::BWLevelMeterPic(rect, &editor, row.tag, &frame, image(row.image), row.frameCount, &peak);
            break;
        }
        case DisplayKind::tempo:
            widget = new VSTGUI::BWBPMControl(client.getSystemInfo(), rect, row.tag, &frame, nullptr);
            break;
        case DisplayKind::valueText: {
            auto* display = new VSTGUI::BWDisplay(rect, &editor, row.tag, &frame);
            display->boundValue = displaySource(row);
            display->setBackground(image(row.image));
            display->setVisible(false);
            if (VSTGUI::BWValueToText format = formatterOf(row.text)) {
                display->setValueToText(format);
            } else {
                display->fieldWidth = row.fieldWidth;
                display->precision = row.precision;
                display->suffix = row.suffix;
            }
            display->rawIndex = (row.flags & kRawIndex) != 0;
            asValueText(display, editor.getPictureFontTable()[kValueFont]);
            widget = display;
            break;
        }
        case DisplayKind::picture:
        case DisplayKind::imageOnly: {
            auto* display = new VSTGUI::BWDisplay(rect, &editor, row.tag, &frame, nullptr, false);
            if (row.kind == DisplayKind::picture) {
                display->boundValue = displaySource(row);
                display->filmstrip = image(row.image);
                display->frameCount = row.frameCount;
                display->frameHeight = row.frameHeight;
                display->rawIndex = (row.flags & kRawIndex) != 0;
            } else {
                display->setBackground(image(row.image));
            }
            if (row.flags & kHiddenAtOpen) display->setVisible(false);
            if (row.layer == kValueLayer) {
                asValueText(display, editor.getPictureFontTable()[kValueFont]);
            } else {
                display->textColour = (row.flags & kWhiteText) ? kWhite : kGreenText;
                display->font = editor.textFont(0);
                display->fontSize = kPictureTextSize;
            }
            widget = display;
            break;
        }
    }
    if (row.flags & kMouseOff) widget->setMouseEnabled(false);
    if (row.flags & kTransparent) widget->setTransparency(true);
    record(widget, row.tag, row.page);
    add(widget, row.layer);
}

void InterfaceBuilder::buildButton(const ButtonRow& row) {
    auto* button = new VSTGUI::BWButton(rectOf(row.box), &editor, row.tag, &frame, nullptr, row.initial, row.mode);
    button->stateCount = row.stateCount;
    button->frameFlags = row.frameFlags;
    if (row.bound && values.at(row.tag)) {
        values.trackState(row.tag, row.stateCount);
        button->boundValue = values.at(row.tag);
    }
    button->setBackground(image(row.image));
    applyMargins(button, row.margins);
    button->listMode = row.listMode;
    if (row.tag == kExportButtonTag) widgets.exportButton = button;
    record(button, row.tag, row.page);
    if (row.inLocatePanel) {
        containerList.emplace_back(widgets.locateContainer, button);
    } else {
        add(button, kNoLayer);
    }
    if (row.learn) learnList.push_back(button);
}
