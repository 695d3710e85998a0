#include "gui-sheet/MenuSheet.h"

#include <cairo.h>

#include <cstdio>
#include <algorithm>
#include <vector>

#include "core/AudioEffectX.h"
#include "guitoolkit/AEffGUIEditor.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/PictureFontWidths.h"
#include "platform/InProcessWindows.h"
#include "gui-sheet/SheetLook.h"
#include "widgets/BWOptionMenu.h"

namespace sheet {
namespace {

using namespace VSTGUI;

constexpr int32_t kDesignWidth = 480, kDesignHeight = 330;
const CColor kOff{0x4A, 0x4F, 0x57, 255};

class SheetEffect : public AudioEffectX {
public:
    SheetEffect() : AudioEffectX(nullptr, 1, 1) {}
    void processReplacing(float**, float**, int32_t) override {}
};

class SheetEditor : public AEffGUIEditor {
public:
    explicit SheetEditor(AudioEffect* effect) : AEffGUIEditor(effect) { setupZoom(kDesignWidth, kDesignHeight); }
    ~SheetEditor() override { close(); }
    bool open(void* window) override {
        AEffGUIEditor::open(window);
        frame = new BWFrame(CRect(0, 0, kDesignWidth, kDesignHeight), window, this);
        return true;
    }
    void close() override {
        if (frame) frame->forget();
        frame = nullptr;
        AEffGUIEditor::close();
    }
    BWFrame* bwFrame() const { return static_cast<BWFrame*>(frame); }
};

// The panel behind the menus: sections, their titles and the labels.
class Panel : public CView {
public:
    Panel() : CView(CRect(0, 0, kDesignWidth, kDesignHeight)) {}
    void draw(CDrawContext* c) override {
        c->setFillColor(kPanel);
        c->drawRect(size, kDrawFilled);
        section(c, CRect(8, 8, 150, 322), "CLOSED");
        section(c, CRect(158, 8, 362, 322), "OPEN LIST, SUB-MENU");
        section(c, CRect(370, 8, 472, 322), "");  // the scrolled list spans the frame
        const struct {
            int32_t y;
            const char* text;
        } labels[] = {{36, "chord (strip)"}, {66, "channel (strip)"}, {96, "preset (file name)"},
                      {128, "instrument (font 9)"}, {162, "titled"}, {192, "empty"}};
        for (const auto& l : labels) {
            c->setFont(standardFonts()[6]);
            c->setFontColor(kLabel);
            c->drawString(l.text, CRect(16, l.y - 12, 146, l.y), false, kLeftText);
        }
        // The plates the panel image gives the closed preset menus.
        c->setFillColor(kOff);
        c->drawRect(CRect(16, 98, 112, 113), kDrawFilled);
        c->drawRect(CRect(16, 130, 129, 147), kDrawFilled);
        setDirty(false);
    }

private:
    static void section(CDrawContext* c, const CRect& r, const char* title) {
        c->setFillColor(kSection);
        c->setFrameColor(kSeparator);
        c->drawRect(r, kDrawFilledAndFramed);
        c->setFont(standardFonts()[5], 0, kBoldFace);
        c->setFontColor(kTitle);
        c->drawString(title, CRect(r.left + 6, r.top + 2, r.right - 4, r.top + 16), false, kLeftText);
    }
};

// The interface's picture fonts: resource, width table, '%' widened.
struct Fonts {
    Fonts() {
        make(0, 1071, false, false);
        make(1, 1070, true, false);
        make(2, 1069, false, false);
        make(4, 1045, true, false);
        make(8, 1094, false, false);
        make(9, 1042, false, true);
        // The condensed font's strip is keyed on white, as the editor sets it.
        pictures.back()->setTransparentColor(colourWhite);
        fonts[9].setTransparent(true);
    }
    ~Fonts() {
        for (CBitmap* b : pictures) b->forget();
    }
    void make(int32_t index, int32_t id, bool percent, bool condensed) {
        auto* picture = new CBitmap(CResourceDescription(id));
        pictures.push_back(picture);
        BWPictureFont& font = fonts[index];
        font.setPicture(picture);
        font.setGlyphHeight(condensed ? 15 : 11);
        font.setWidths(condensed ? kPictureFontWidthsB : kPictureFontWidthsA, kPictureFontTableSize);
        font.setCondensed(condensed);
        if (percent) {
            uint8_t widths[kPictureFontTableSize];
            std::copy(kPictureFontWidthsA, kPictureFontWidthsA + kPictureFontTableSize, widths);
            widths['%' - ' '] = kPictureFontPercentWidth;
            font.setWidths(widths, kPictureFontTableSize);
        }
    }
    BWPictureFont fonts[11];
    std::vector<CBitmap*> pictures;
};

// The in-panel look the editor gives its menus.
void panelLook(BWOptionMenu* m, Fonts& f) {
    m->fontSize = 15;
    m->scrollBarWidth = 11;
    m->insetTop = m->insetBottom = m->insetLeft = m->insetRight = 4;
    m->pictureFont = &f.fonts[0];
    m->hoverFont = m->titleFont = &f.fonts[1];
    m->listFrame = true;
    m->textColour = CColor{0, 0, 0, 255};
    m->listFillColour = m->hoverFillColour = CColor{54, 54, 51, 255};
    m->hoverTextColour = CColor{0, 0, 0, 255};
    m->listFrameColour = CColor{192, 192, 192, 255};
    m->scrollBarColour = m->scrollBarThumbColour = CColor{0, 0, 0, 255};
    m->currentEntryColour = CColor{128, 101, 15, 255};
}

// The window system of the scene for as long as the scene lives.
struct Installed {
    explicit Installed(platform::WindowSystem& windows) : previous(platform::setWindowSystem(&windows)) {}
    ~Installed() { platform::setWindowSystem(previous); }
    platform::WindowSystem* previous;
};

struct Scene {
    Scene() {
        // A screen on which the window's base factor is 1: the zooms are the sheet's.
        windows.setScreen({1280, 1024, true});
        host = windows.createWindow(0, kDesignWidth * 2, kDesignHeight * 2, nullptr);
        editor = new SheetEditor(&effect);  // the effect deletes it
        editor->open(reinterpret_cast<void*>(static_cast<uintptr_t>(host)));
        frame = editor->bwFrame();
        frame->addView(new Panel);
        bitmaps = {new CBitmap(CResourceDescription(1018)), new CBitmap(CResourceDescription(1076))};
        build();
    }
    ~Scene() {
        editor->close();
        for (CBitmap* b : bitmaps) b->forget();
    }

    BWOptionMenu* add(const CRect& r, uint64_t style, std::vector<std::string> texts, const char* title = nullptr) {
        auto* m = new BWOptionMenu(r, nullptr, 0, frame, title, style);
        panelLook(m, fonts);
        m->addEntries(std::move(texts));
        frame->addView(m);
        return m;
    }

    void build() {
        using M = BWOptionMenu;
        M* chord = add(CRect(16, 38, 56, 53), M::kStyleShowCurrent,
                       {"major", "maj 6", "maj 7", "maj 9", "minor", "min 6", "min 7", "min 9"});
        chord->closedPicture = bitmaps[0];
        chord->closedPictureFrameHeight = 15;
        chord->setValue(2.0f);
        M* channel = add(CRect(16, 68, 28, 79), M::kStyleShowCurrent, {});
        for (int32_t i = 1; i <= 16; ++i) channel->addEntry("Channel " + std::to_string(i));
        channel->closedPicture = bitmaps[1];
        channel->closedPictureFrameHeight = 11;
        channel->setValue(4.0f);
        M* preset = add(CRect(16, 98, 112, 113), M::kStyleFileMenu | M::kStyleFolderTree | M::kStyleShowFileName |
                                                     M::kStyleSaveEntry, {});
        preset->textFont = &fonts.fonts[4];
        preset->fileName = &presetName;
        M* instrument =
            add(CRect(16, 130, 129, 147), M::kStyleFileMenu | M::kStyleFolderTree | M::kStyleShowFileName, {});
        instrument->textFont = &fonts.fonts[9];
        instrument->textInsetX = 2;
        instrument->fileName = &instrumentName;
        add(CRect(16, 164, 96, 179), M::kStyleAlignLeft, {"a"}, "Sync source")->textColour = kTitle;
        add(CRect(16, 194, 96, 209), M::kStyleShowCurrent | M::kStyleAlignLeft, {})->textColour = kTitle;

        // An open list in the channel menus' look with a sub-menu beside it,
        // the pointer on its second row.
        root = add(CRect(166, 30, 246, 45), M::kStyleShowCurrent,
                   {"quarter feel", "eight feel", "triple feel", "--Feels--"});
        root->getEntry(3)->title = 1;
        root->setEntryEnabled(1, false);
        auto* sub = new M(CRect(), root, 0, frame, nullptr, M::kStylePlain);
        panelLook(sub, fonts);
        sub->addEntries({"standard", "broken", "crazy", "upward", "downward"});
        sub->listOffsetY = -sub->pitch();
        root->addSubMenu(sub, "patterns");
        root->addEntry("more");
        root->setValue(0.0f);
        root->openList(CPoint(166, 30), false);
        auto onRow = [](BWOptionMenu* m, int32_t row) {
            const CRect& list = m->getListRect();
            return CPoint(list.left + 20, list.top + m->insetTop + row * m->pitch() + 7);
        };
        pointAt(onRow(root, 4));
        if (BWOptionMenu* open = root->getOpenSubMenu()) pointer = onRow(open, 1);

        // A list taller than the frame, scrolled down a little.
        scrolled = add(CRect(378, 30, 440, 45), M::kStyleShowCurrent, {});
        for (int32_t i = 1; i <= 40; ++i) scrolled->addEntry("Preset " + std::to_string(i));
        scrolled->openList(CPoint(378, 30), false);
        for (int32_t notch = 0; notch < 12; ++notch)
            scrolled->onWheel(CPoint(400, 100), -1.0f, 0);
    }

    // The pointer rests on a point of the design at the window's zoom; an
    // idle tick follows it (hovered rows, sub-menus).
    void pointAt(const CPoint& design) {
        pointer = design;
        const float zoom = editor->getZoomFactor();
        windows.move(frame->getWindow(), static_cast<int32_t>((design.x + 0.5f) * zoom),
                     static_cast<int32_t>((design.y + 0.5f) * zoom));
        frame->idle();
    }

    // The window's pixels at a zoom, as an image surface.
    cairo_surface_t* shot(float zoom) {
        editor->zoom(zoom, true);
        pointAt(pointer);
        frame->invalid();
        windows.paint(frame->getWindow());
        const platform::WindowSurface s = windows.surface(frame->getWindow());
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.width, s.height);
        cairo_surface_flush(image);
        auto* target = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image));
        const int32_t stride = cairo_image_surface_get_stride(image) / 4;
        for (int32_t y = 0; y < s.height; ++y)
            for (int32_t x = 0; x < s.width; ++x) target[y * stride + x] = s.pixels[y * s.width + x];
        cairo_surface_mark_dirty(image);
        return image;
    }

    platform::InProcessWindows windows;
    Installed installed{windows};
    SheetEffect effect;
    platform::WindowId host = 0;
    SheetEditor* editor = nullptr;
    BWFrame* frame = nullptr;
    Fonts fonts;
    std::vector<CBitmap*> bitmaps;
    std::string presetName = "Warm Pad";
    std::string instrumentName = "Nylon Pluck";
    BWOptionMenu* root = nullptr;
    BWOptionMenu* scrolled = nullptr;
    CPoint pointer;
};

}  // namespace

bool writeMenuSheet(const std::string& path) {
    const float zooms[] = {0.9f, 1.0f, 1.5f, 2.0f};
    std::vector<cairo_surface_t*> shots;
    {
        Scene scene;
        for (float zoom : zooms) shots.push_back(scene.shot(zoom));
    }
    // 0.9 and 1.0 side by side, 1.5 and 2.0 below.
    constexpr int32_t gap = 16, caption = 18;
    auto width = [&](size_t i) { return cairo_image_surface_get_width(shots[i]); };
    auto height = [&](size_t i) { return cairo_image_surface_get_height(shots[i]); };
    const int32_t sheetWidth = std::max({width(0) + width(1) + 3 * gap, width(2) + 2 * gap, width(3) + 2 * gap});
    const int32_t sheetHeight = 4 * gap + 3 * caption + std::max(height(0), height(1)) + height(2) + height(3);
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, sheetWidth, sheetHeight);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0x12 / 255.0, 0x13 / 255.0, 0x16 / 255.0);
    cairo_paint(cr);
    const int32_t places[4][2] = {{gap, gap + caption},
                                  {2 * gap + width(0), gap + caption},
                                  {gap, 2 * gap + 2 * caption + std::max(height(0), height(1))},
                                  {gap, 3 * gap + 3 * caption + std::max(height(0), height(1)) + height(2)}};
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 12);
    for (size_t i = 0; i < shots.size(); ++i) {
        cairo_set_source_surface(cr, shots[i], places[i][0], places[i][1]);
        cairo_paint(cr);
        char text[32];
        std::snprintf(text, sizeof(text), "zoom %.0f %%", static_cast<double>(zooms[i]) * 100.0);
        cairo_set_source_rgb(cr, kAmber.red / 255.0, kAmber.green / 255.0, kAmber.blue / 255.0);
        cairo_move_to(cr, places[i][0], places[i][1] - 5);
        cairo_show_text(cr, text);
        cairo_surface_destroy(shots[i]);
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(sheet, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(sheet);
    return written;
}

}  // namespace sheet
