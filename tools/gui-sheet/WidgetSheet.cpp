#include "gui-sheet/WidgetSheet.h"

#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/PictureFontWidths.h"
#include "core/BWSystemInfo.h"
#include "persistence/Settings.h"
#include "widgets/BWBPMControl.h"
#include "widgets/BWButton.h"
#include "widgets/BWDisplay.h"
#include "widgets/BWImage.h"
#include "widgets/BWKnob.h"
#include "widgets/BWLabel.h"
#include "widgets/BWLocalLink.h"
#include "widgets/BWRegPathVisualizer.h"
#include "gui-sheet/SheetLook.h"
#include "gui-sheet/SheetZoom.h"

namespace sheet {
namespace {

using namespace VSTGUI;

constexpr int32_t kPanelWidth = 620, kPanelHeight = 432;
// The images and fonts the widgets draw with; released after drawing.
struct Images {
    CBitmap* get(int32_t id) {
        for (auto& [known, bitmap] : loaded)
            if (known == id) return bitmap;
        loaded.emplace_back(id, new CBitmap(CResourceDescription(id)));
        return loaded.back().second;
    }
    ~Images() {
        for (auto& entry : loaded) entry.second->forget();
    }
    std::vector<std::pair<int32_t, CBitmap*>> loaded;
};

// A section plate with its title, as the panel draws them.
class Plate : public BWControl {
public:
    Plate(const CRect& r, BWFrame* owner, const char* title) : BWControl(r, nullptr, 0, owner), title(title) {
        setMouseEnabled(false);
    }
    void draw(CDrawContext* c) override {
        c->setFillColor(kSection);
        c->setFrameColor(kSeparator);
        c->drawRect(size, kDrawFilledAndFramed);
        c->setFont(standardFonts()[5], 0, kBoldFace);
        c->setFontColor(kTitle);
        c->drawString(title, CRect(size.left + 6, size.top + 2, size.right, size.top + 15), false, kLeftText);
    }
    const char* title;
};

// A plain box that casts the base's drop shadow; its view takes in the
// shadow, since a container clips each child to its rectangle.
class ShadowBox : public BWControl {
public:
    ShadowBox(const CRect& box, BWFrame* owner)
        : BWControl(CRect(box.left, box.top, box.right + 5, box.bottom + 5), nullptr, 0, owner), box(box) {}
    void draw(CDrawContext* c) override {
        c->setFillColor(CColor{0x4A, 0x4F, 0x57, 255});
        c->setFrameColor(kSeparator);
        c->drawRect(box, kDrawFilledAndFramed);
        drawShadow(c, box);
    }
    CRect box;
};

struct Panel {
    Panel() : frame(new BWFrame(CRect(0, 0, kPanelWidth, kPanelHeight), nullptr, nullptr)) {
        frame->setBackgroundColor(kPanel);
        frame->defaultFont = standardFonts()[5];
        // The value font: table A with an 8-pixel '%'.
        widthsWithPercent.assign(kPictureFontWidthsA, kPictureFontWidthsA + kPictureFontTableSize);
        widthsWithPercent['%' - 32] = kPictureFontPercentWidth;
        valueFont.setPicture(images.get(1095));
        valueFont.setGlyphHeight(11);
        valueFont.setWidths(widthsWithPercent.data(), widthsWithPercent.size());
        listFont.setPicture(images.get(1071));
        listFont.setGlyphHeight(11);
        listFont.setWidths(kPictureFontWidthsA, kPictureFontTableSize);
        condensedFont.setPicture(images.get(1042));
        condensedFont.setGlyphHeight(15);
        condensedFont.setWidths(kPictureFontWidthsB, kPictureFontTableSize);
        condensedFont.setTransparent(true);
        images.get(1042)->setTransparentColor(colourWhite);
    }
    ~Panel() { frame->forget(); }

    template <class W>
    W* add(W* widget) {
        frame->addView(widget);
        return widget;
    }
    void caption(int32_t x, int32_t y, const char* text, int32_t width = 60) {
        add(new BWLabel(CRect(x, y, x + width, y + 11), nullptr, 0, frame, text, standardFonts()[6], 0, kLabel,
                        0, kCenterText));
    }
    BWKnob* knob(int32_t x, int32_t y, int32_t id, int32_t w, int32_t h, int32_t frames, float v) {
        auto* k = add(new BWKnob(CRect(x, y, x + w, y + h), nullptr, 0, frame, images.get(id), h, frames, 1.0f));
        k->setValue(v);
        return k;
    }
    BWButton* button(int32_t x, int32_t y, int32_t id, int32_t w, int32_t h, float v, int32_t flags = 0) {
        auto* b = add(new BWButton(CRect(x, y, x + w, y + h), nullptr, 0, frame, nullptr, 0, 1));
        b->setBackground(images.get(id));
        b->setValue(v);
        b->frameFlags = flags;
        return b;
    }
    BWDisplay* valueDisplay(int32_t x, int32_t y, float v) {
        auto* d = add(new BWDisplay(CRect(x, y, x + 52, y + 15), nullptr, 0, frame));
        d->setBackground(images.get(1031));
        d->pictureFont = &valueFont;
        d->textAlign = 1;
        d->setValue(v);
        return d;
    }

    Images images;
    BWFrame* frame;
    BWPictureFont valueFont, listFont, condensedFont;
    std::vector<uint8_t> widthsWithPercent;
    std::vector<float> levels;
};

void buildKnobs(Panel& p) {
    p.add(new Plate(CRect(6, 6, 234, 150), p.frame, "KNOBS"));
    const float values[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    for (int32_t i = 0; i < 5; ++i) {
        p.knob(14 + i * 42, 24, 1063, 31, 31, 128, values[i]);
        char text[16];
        std::snprintf(text, sizeof(text), "%.2f", static_cast<double>(values[i]));
        p.caption(14 + i * 42 - 6, 56, text, 43);
    }
    p.knob(14, 74, 1062, 43, 43, 128, 0.6f);
    p.caption(8, 118, "43 px", 55);
    p.knob(64, 78, 1040, 27, 27, 49, 0.5f)->fullFrameScale = true;
    p.caption(52, 118, "27 full", 52);
    p.knob(94, 70, 1087, 25, 70, 57, 0.3f);
    p.knob(120, 70, 1114, 25, 70, 57, 0.8f);
    p.knob(162, 76, 1118, 27, 11, 128, 0.7f);
    p.knob(148, 94, 1115, 67, 15, 5, 0.5f);
    auto* text = p.add(new BWKnob(CRect(156, 114, 208, 128), nullptr, 0, p.frame, nullptr, 0, 0, 1.0f));
    text->setValue(0.42f);
    auto* bar = p.add(new BWKnob(CRect(219, 70, 230, 128), nullptr, 0, p.frame, nullptr, 0, 0, 1.0f));
    bar->style = 1;
    bar->setValue(0.65f);
    p.caption(158, 131, "text, bar", 70);
}

void buildButtons(Panel& p) {
    p.add(new Plate(CRect(240, 6, 614, 150), p.frame, "BUTTONS"));
    p.button(248, 24, 1011, 21, 21, 0.0f);
    p.button(274, 24, 1011, 21, 21, 1.0f);
    p.button(302, 28, 1008, 13, 13, 0.0f);
    p.button(320, 28, 1008, 13, 13, 1.0f);
    p.button(340, 24, 1110, 20, 21, 0.0f);
    p.button(362, 24, 1110, 20, 21, 1.0f);
    for (int32_t s = 0; s < 3; ++s) p.button(392, 22 + s * 19, 1020, 89, 17, static_cast<float>(s));
    auto* off = p.add(new BWButton(CRect(490, 24, 530, 40), nullptr, 0, p.frame, "off", 0, 7));
    off->captionAlign = 1;
    auto* on = p.add(new BWButton(CRect(538, 24, 578, 40), nullptr, 0, p.frame, "on", 1, 7));
    on->captionAlign = 1;
    on->textColour = colourBlack;
    p.caption(486, 44, "no bitmap", 96);
    // frameFlags 2: off, off hovered, on, on hovered.
    for (int32_t i = 0; i < 4; ++i) {
        BWButton* b = p.button(246 + (i % 2) * 182, 82 + (i / 2) * 34, 1002, 177, 32, static_cast<float>(i / 2),
                               BWButton::kHoverFrame);
        CPoint inside(0, 0);
        if (i % 2) b->onMouseEntered(inside, 0);
    }
    p.caption(486, 62, "1002: off, hovered;", 124);
    p.caption(486, 70, "on, hovered", 124);
}

void buildDisplays(Panel& p) {
    p.add(new Plate(CRect(6, 156, 294, 324), p.frame, "DISPLAYS"));
    BWDisplay* percent = p.valueDisplay(14, 176, 0.5f);
    percent->setValueToText([](float v, char* text) {
        std::snprintf(text, kFormattedTextSize, "%.1f %%", static_cast<double>(v) * 100.0);
    });
    BWDisplay* swing = p.valueDisplay(72, 176, 0.5f);
    swing->prefix = "Swing";
    swing->precision = 1;
    p.valueDisplay(130, 176, 0.75f);
    auto* list = p.add(new BWDisplay(CRect(14, 198, 66, 213), nullptr, 0, p.frame, nullptr, false));
    list->setBackground(p.images.get(1031));
    list->pictureFont = &p.listFont;
    list->textList.alignment = 1;
    list->textList.entries = {{"Saw", kTitle}, {"Sine", kTitle}};
    static float listIndex = 1.0f;
    list->boundValue = &listIndex;
    auto* err = p.add(new BWDisplay(CRect(72, 198, 124, 213), nullptr, 0, p.frame, nullptr, false));
    err->setBackground(p.images.get(1031));
    err->pictureFont = &p.listFont;
    err->textList = list->textList;
    static float pastTheEnd = 9.0f;
    err->boundValue = &pastTheEnd;
    auto* labelled = p.add(new BWDisplay(CRect(14, 222, 160, 236), nullptr, 0, p.frame, "Cutoff ", true));
    labelled->font = standardFonts()[5];
    labelled->textColour = kTitle;
    labelled->noBox = true;
    labelled->setValue(0.25f);
    auto* condensed = p.add(new BWDisplay(CRect(14, 244, 110, 261), nullptr, 0, p.frame, "Warm Pad Ensemble", false));
    condensed->pictureFont = &p.condensedFont;
    condensed->shortenLabel = true;
    condensed->noBox = true;
    auto* picture = p.add(new BWDisplay(CRect(188, 176, 292, 197), nullptr, 0, p.frame, nullptr, false));
    picture->filmstrip = p.images.get(1121);
    picture->frameHeight = 21;
    picture->frameCount = 5;
    picture->rawIndex = true;
    static float pictureIndex = 2.0f;
    picture->boundValue = &pictureIndex;
    picture->idle(0);
    p.caption(195, 199, "picture 2 of 5", 90);
    p.add(new BWLabel(CRect(188, 222, 292, 246), nullptr, 0, p.frame, "two lines\\nof label", standardFonts()[6], 0,
                      kTitle, 11, kCenterText));
    p.add(new ShadowBox(CRect(14, 290, 120, 306), p.frame));
    p.caption(130, 293, "drop shadow", 80);
}

void buildMeters(Panel& p) {
    p.add(new Plate(CRect(300, 156, 614, 324), p.frame, "METERS"));
    p.levels = {0.01f, 0.25f, 1.0f, 1.9f};
    const char* names[] = {"0.01", "0.25", "1.0", "1.9"};
    for (int32_t i = 0; i < 4; ++i) {
        const int32_t x = 326 + i * 64;
        CBitmap* strip = p.images.get(i % 2 ? 1033 : 1032);
        strip->setTransparentColor(colourWhite);
        auto* meter = p.add(new BWLevelMeterPic(CRect(x, 186, x + 36, 241), nullptr, 197, p.frame, strip, 17,
                                                &p.levels[static_cast<size_t>(i)]));
        meter->setTransparency(true);
        meter->idle(0);
        p.caption(x - 8, 246, names[i], 52);
    }
}

// Settings of the sheet's own for as long as it draws, so that the path
// views read what the sheet stores and the user's settings stay untouched.
class SheetSettings {
public:
    SheetSettings() {
        if (const char* root = std::getenv("ZORVANE_SETTINGS_DIR")) previous = root;
        char pattern[] = "/tmp/zorvane-sheet-XXXXXX";
        if (mkdtemp(pattern)) folder = pattern;
        if (!folder.empty()) setenv("ZORVANE_SETTINGS_DIR", folder.c_str(), 1);
    }
    ~SheetSettings() {
        if (previous) {
            setenv("ZORVANE_SETTINGS_DIR", previous->c_str(), 1);
        } else {
            unsetenv("ZORVANE_SETTINGS_DIR");
        }
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    SheetSettings(const SheetSettings&) = delete;
    SheetSettings& operator=(const SheetSettings&) = delete;

private:
    std::string folder;
    std::optional<std::string> previous;
};

// The tempo field, the manual link released and pressed, and the library
// path view: short, shortened and missing.
void buildSmall(Panel& p) {
    p.add(new Plate(CRect(6, 330, 614, 426), p.frame, "TEMPO, MANUAL LINK, PATH"));
    static BWSystemInfo info(8, nullptr, nullptr, nullptr);
    info.setTempo(127.5);
    auto* tempo = p.add(new BWBPMControl(&info, CRect(14, 362, 66, 377), 200, p.frame, nullptr));
    tempo->setBackground(p.images.get(1031));
    tempo->pictureFont = &p.valueFont;
    tempo->alignment = 1;
    p.caption(8, 380, "tempo", 64);
    for (int32_t pressed = 0; pressed < 2; ++pressed) {
        const int32_t x = 84 + pressed * 76;
        auto* link = p.add(new BWLocalLink(CRect(x, 350, x + 69, 419), nullptr, 369, p.frame, "Manual.htm", false));
        link->ownBitmap = p.images.get(1065);
        link->useOwnBitmap = true;
        CPoint inside(x + 30, 380);
        if (pressed) link->onMouseDown(inside, CButtonState(kLButton), 0);
    }
    // The path view reads its folder from the settings when it is built.
    const char* paths[] = {"/music/library", "/home/user/Music/Zorvane/Instruments/Factory", nullptr};
    for (int32_t i = 0; i < 3; ++i) {
        if (paths[i]) setSettingString("librarypath", paths[i]);
        const int32_t y = 352 + i * 23;
        auto* view = p.add(new BWRegPathVisualizer(CRect(240, y, 458, y + 19), nullptr, 367, p.frame,
                                                   paths[i] ? "librarypath" : "sheetmissing"));
        view->pictureFont = &p.listFont;
    }
    p.caption(462, 356, "fits", 40);
    p.caption(462, 379, "shortened", 64);
    p.caption(462, 402, "missing", 56);
}

}  // namespace

bool writeWidgetSheet(const std::string& path) {
    SheetSettings settings;
    Panel panel;
    buildKnobs(panel);
    buildButtons(panel);
    buildDisplays(panel);
    buildMeters(panel);
    buildSmall(panel);
    COffscreenContext design(panel.frame, kPanelWidth, kPanelHeight, kPanel);
    panel.frame->draw(&design);

    const float zooms[] = {0.9f, 1.0f, 1.5f, 2.0f};
    const CPoint places[] = {{10, 24}, {582, 24}, {1216, 24}, {10, 700}};
    constexpr int32_t kSheetWidth = 2156, kSheetHeight = 1576;
    COffscreenContext sheet(nullptr, kSheetWidth, kSheetHeight, CColor{0x14, 0x15, 0x18, 255});
    cairo_surface_t* surface = sheet.getSurface();
    cairo_surface_flush(surface);
    auto* out = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    const int32_t stride = cairo_image_surface_get_stride(surface) / 4;
    for (size_t i = 0; i < 4; ++i) {
        int32_t w = 0, h = 0;
        const std::vector<uint32_t> pixels = zoomedPixels(design, zooms[i], w, h);
        for (int32_t y = 0; y < h && places[i].y + y < kSheetHeight; ++y)
            for (int32_t x = 0; x < w && places[i].x + x < kSheetWidth; ++x)
                out[static_cast<size_t>(places[i].y + y) * stride + places[i].x + x] =
                    pixels[static_cast<size_t>(y) * w + x] | 0xFF000000u;
    }
    cairo_surface_mark_dirty(surface);
    for (size_t i = 0; i < 4; ++i) {
        char title[32];
        std::snprintf(title, sizeof(title), "zoom %.0f %%", static_cast<double>(zooms[i]) * 100.0);
        sheet.setFont(standardFonts()[4], 0, kBoldFace);
        sheet.setFontColor(kAmber);
        sheet.drawString(title, CRect(places[i].x, places[i].y - 18, places[i].x + 200, places[i].y - 4), false,
                         kLeftText);
    }
    cairo_surface_flush(surface);
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "zorvane-gui-sheet: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace sheet
