#include "gui-sheet/PatternSheet.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "core/BWBtnLine.h"
#include "core/BWFloatZoneHandler.h"
#include "core/BWTableXY.h"
#include "core/BWZone.h"
#include "core/BWZoneHandlerContainer.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/COffscreenContext.h"
#include "gui-sheet/SheetLook.h"
#include "gui-sheet/SheetZoom.h"
#include "widgets/BWBtnLineView.h"
#include "widgets/BWPolyObjectView.h"
#include "widgets/BWTableView.h"
#include "widgets/BWViewContainer.h"
#include "widgets/BWZoneView.h"

namespace sheet {
namespace {

using namespace VSTGUI;
using TV = BWTableView;

constexpr float kZooms[] = {0.9f, 1.0f, 1.5f, 2.0f};
constexpr int32_t kGap = 16, kCaption = 30;  // the scene's caption, then each tile's zoom
const CColor kValues{36, 36, 36, 255};
const CColor kLines{68, 68, 68, 255};
const CColor kLaneBars{64, 104, 62, 255};
const CColor kHighlight{199, 211, 44, 255};

// The models a scene edits, with sample patterns.
struct Models {
    Models() {
        table.setRange(0.0f, 1.0f);
        const float shape[8] = {0.9f, 0.35f, 0.6f, 0.15f, 0.8f, 0.45f, 1.0f, 0.25f};
        for (uint64_t i = 0; i < 8; ++i) table.setNormalized(i, shape[i]);
        second.setRange(0.0f, 1.0f);
        for (uint64_t i = 0; i < 8; ++i) second.setNormalized(i, 0.5f + 0.4f * std::sin(static_cast<float>(i)));
        line.maxValue = 3.0f;
        const float steps[8] = {1, 0, 2, 0, 3, 1, 0, 2};
        for (uint64_t i = 0; i < 8; ++i) line.setStepOnLine(0, i, steps[i]);
        for (const auto& [start, end] : {std::pair{1, 3}, std::pair{5, 5}, std::pair{8, 12}}) {
            std::unique_ptr<BWZone> zone = zones.createZone(0);
            zone->setRange(start, end);
            zones.insertZone(std::move(zone));
        }
        table.getValue(4);  // the step that plays
    }
    BWTableXY table{nullptr, 8, 0, true};
    BWTableXY second{nullptr, 8, 0, true};
    BWBtnLine line{nullptr, 8, 1, true};
    BWZoneHandlerContainer<BWFloatZoneHandler> zones{nullptr, 0, 1, true};
    // Objects: x, y, width, height, alpha, sprite y; colours shared.
    float count = 5;
    float x[5] = {8, 70, 140, 200, 262};
    float y[5] = {4, 10, 2, 14, 8};
    float w[5] = {50, 60, 40, 54, 64};
    float h[5] = {14, 12, 20, 10, 16};
    float alpha[5] = {255, 200, 150, 110, 230};
    float spriteY[5] = {0, 7, 14, 21, 0};
    float red = 242, green = 165, blue = 65;
    // Sprites are one 7-px row of the sheet each.
    void spriteRows() {
        for (float& height : h) height = 7;
        for (float& width : w) width = std::min(width, 64.0f);
    }
    // From draw mode 2 on the third and fourth inputs are the second corner.
    void secondCorners() {
        for (int i = 0; i < 5; ++i) {
            w[i] = x[i] + 52;
            h[i] = y[i] + (i % 2 ? 12 : 22);
        }
    }
};

struct Scene {
    const char* caption;
    int32_t width, height;
    std::function<void(BWFrame&, Models&)> build;
};

CBitmap* image(int32_t id) { return new CBitmap(CResourceDescription(id)); }

TV* tableView(BWFrame& frame, Models& m, int32_t height, uint32_t flags) {
    auto* view = new TV(CRect(0, 0, 336, height), nullptr, 383, &frame, 1);
    frame.addView(view);
    m.table.setFlags(flags);
    view->setTable(&m.table);
    view->backgroundColour = kValues;
    view->barColour = kLaneBars;
    view->lineColour = kLines;
    view->highlightColour = kHighlight;
    view->rulerColour = colourBlack;
    return view;
}

void stepStrip(BWFrame& frame, Models& m, int32_t id, int32_t height, uint64_t frames, bool whole) {
    const uint32_t whole32 = whole ? TV::kInteger : 0u;
    TV* view = tableView(frame, m, height, TV::kEditable | TV::kWatchPlay | whole32);
    if (whole) {
        m.table.setRange(0.0f, static_cast<float>(frames - 1));
        for (uint64_t i = 0; i < 8; ++i) m.table.setValue(i, static_cast<float>((i * 5) % frames));
    }
    CBitmap* strip = image(id);
    view->setStepBitmap(strip, frames);
    strip->forget();
}

BWBtnLineView* lineView(BWFrame& frame, Models& m, int32_t id) {
    auto* view = new BWBtnLineView(CRect(0, 0, 336, 21), nullptr, 373, &frame);
    frame.addView(view);
    view->model = &m.line;
    CBitmap* strip = image(id);
    view->setStepBitmap(strip);
    strip->forget();
    return view;
}

BWZoneView* zoneView(BWFrame& frame, Models& m) {
    auto* view = new BWZoneView(CRect(0, 4, 336, 16), nullptr, 372, &frame, &m.zones);
    frame.addView(view);
    view->visibleKeys = 16;
    view->zoneColourFrom = CColor{20, 64, 116, 255};
    view->zoneColourTo = CColor{0, 128, 192, 255};
    view->frameColour = CColor{192, 192, 192, 255};
    return view;
}

BWPolyObjectView* polyView(BWFrame& frame, Models& m, int32_t mode) {
    auto* view = new BWPolyObjectView(CRect(0, 0, 336, 34), nullptr, 371, &frame);
    frame.addView(view);
    view->drawMode = mode;
    view->bindCount(&m.count);
    view->bind(BWPolyObjectView::kX, BWPolyInput::array(m.x, 5));
    view->bind(BWPolyObjectView::kY, BWPolyInput::array(m.y, 5));
    view->bind(BWPolyObjectView::kWidth, BWPolyInput::array(m.w, 5));
    view->bind(BWPolyObjectView::kHeight, BWPolyInput::array(m.h, 5));
    view->bind(BWPolyObjectView::kAlpha, BWPolyInput::array(m.alpha, 5));
    view->bind(BWPolyObjectView::kSpriteY, BWPolyInput::array(m.spriteY, 5));
    view->bind(BWPolyObjectView::kRed, BWPolyInput::single(&m.red));
    view->bind(BWPolyObjectView::kGreen, BWPolyInput::single(&m.green));
    view->bind(BWPolyObjectView::kBlue, BWPolyInput::single(&m.blue));
    view->resizeObjects();
    return view;
}

void spriteSheet(BWPolyObjectView& view, int32_t id) {
    CBitmap* sprites = image(id);
    view.setSheet(sprites);
    sprites->forget();
}

std::vector<Scene> scenes() {
    return {
        {"table: bars, the playing step lit", 336, 61,
         [](BWFrame& f, Models& m) { tableView(f, m, 61, TV::kEditable | TV::kWatchPlay); }},
        {"table: bipolar bars, 2-px gaps and grid, dotted outlines", 336, 61,
         [](BWFrame& f, Models& m) {
             tableView(f, m, 61, TV::kEditable | TV::kBipolar | TV::kBarGap2 | TV::kDottedOutline | TV::kJoinTops);
         }},
        {"table: filled curve over a second table, ruler, play range", 336, 86,
         [](BWFrame& f, Models& m) {
             TV* view = tableView(f, m, 86,
                                  TV::kEditable | TV::kCurve | TV::kCurveFilled | TV::kLabelStrip | TV::kRangeBar |
                                      TV::kWatchPlay | TV::kBarGap2);
             view->secondTable = &m.second;
             view->playRange = {2.0f, 6.0f, 10, 1, 0.0f};
         }},
        {"table: step strip 1085 (lanes), 59 frames", 336, 61,
         [](BWFrame& f, Models& m) { stepStrip(f, m, 1085, 61, 59, false); }},
        {"table: step strip 1038 (CHORD), whole values", 336, 86,
         [](BWFrame& f, Models& m) { stepStrip(f, m, 1038, 86, 16, true); }},
        {"table: pixel-buffer curve, ramps of half a step", 336, 61,
         [](BWFrame& f, Models& m) {
             static const float half = 0.5f;
             tableView(f, m, 61, TV::kEditable | TV::kPixelBuffer)->watchedValue = &half;
         }},
        {"table: pixel-buffer bipolar", 336, 61,
         [](BWFrame& f, Models& m) { tableView(f, m, 61, TV::kEditable | TV::kPixelBuffer | TV::kBipolar); }},
        {"table 381: bar bitmap 1060 on background 1058", 336, 34,
         [](BWFrame& f, Models& m) {
             TV* view = tableView(f, m, 34, TV::kEditable | TV::kBarBitmapAlternative);
             CBitmap* bars = image(1060);
             CBitmap* back = image(1058);
             bars->setTransparentColor(colourWhite);
             view->setBarBitmap(bars);
             view->setBackground(back);
             bars->forget();
             back->forget();
         }},
        {"button line 1003, values 0 to 3", 336, 21, [](BWFrame& f, Models& m) { lineView(f, m, 1003); }},
        {"button line 1117, value v shows frame v", 336, 21,
         [](BWFrame& f, Models& m) { lineView(f, m, 1117)->showValueZero = true; }},
        {"zones: pieces 1120 at alpha 140, the middle zone selected", 336, 20,
         [](BWFrame& f, Models& m) {
             BWZoneView* view = zoneView(f, m);
             CBitmap* pieces = image(1120);
             view->setZoneBitmap(pieces);
             pieces->forget();
             view->alpha = 140;
             m.zones.markedIndex = 1;
         }},
        {"zones: filled and framed, with a preview", 336, 20,
         [](BWFrame& f, Models& m) {
             BWZoneView* view = zoneView(f, m);
             view->previewStart = 14;
             view->previewEnd = 15;
         }},
        {"objects: sprites 1098 by alpha on background 1058", 336, 34,
         [](BWFrame& f, Models& m) {
             m.spriteRows();
             BWPolyObjectView* view = polyView(f, m, BWPolyObjectView::kSprites);
             spriteSheet(*view, 1098);
             CBitmap* back = image(1058);
             view->setBackground(back);
             back->forget();
             view->alphaDraw = true;
         }},
        {"objects: rectangles", 336, 34, [](BWFrame& f, Models& m) { polyView(f, m, BWPolyObjectView::kRects); }},
        {"objects: lines, widths from the alpha input", 336, 34,
         [](BWFrame& f, Models& m) {
             for (float& a : m.alpha) a = 2.0f;
             m.secondCorners();
             polyView(f, m, BWPolyObjectView::kLines);
         }},
        {"objects: ellipse outlines", 336, 34,
         [](BWFrame& f, Models& m) {
             for (float& a : m.alpha) a = 1.0f;
             m.secondCorners();
             polyView(f, m, BWPolyObjectView::kEllipses);
         }},
        {"objects: filled ellipses", 336, 34,
         [](BWFrame& f, Models& m) {
             m.secondCorners();
             polyView(f, m, BWPolyObjectView::kFilledEllipses);
         }},
        {"objects: sprites 1098 composited, then tinted", 336, 34,
         [](BWFrame& f, Models& m) {
             m.spriteRows();
             for (int32_t mode : {BWPolyObjectView::kSprites, BWPolyObjectView::kTint}) {
                 BWPolyObjectView* view = polyView(f, m, mode);
                 if (mode == BWPolyObjectView::kTint) {
                     CRect lower(168, 0, 336, 34);
                     view->setViewSizeWithMargins(lower);
                 } else {
                     CRect upper(0, 0, 168, 34);
                     view->setViewSizeWithMargins(upper);
                 }
                 spriteSheet(*view, 1098);
                 auto* buffer = new CBitmap(168, 34);
                 std::fill(buffer->getPixels(), buffer->getPixels() + 168 * 34, 0xFF242424u);
                 view->setOffscreenImage(buffer);
                 buffer->forget();
             }
         }},
        {"container: filled, with a shadow, holding a table and a button line", 336, 96,
         [](BWFrame& f, Models& m) {
             auto* box = new BWViewContainer(CRect(8, 4, 320, 88), nullptr, 5, &f);
             f.addView(box);
             box->styleFlags = BWViewContainer::kFillStyle | BWViewContainer::kShadow;
             box->fillColour = CColor{0x26, 0x29, 0x2E, 255};
             auto* table = new TV(CRect(0, 0, 296, 40), nullptr, 384, &f, 1);
             m.table.setFlags(TV::kEditable | TV::kWatchPlay);
             table->setTable(&m.table);
             table->backgroundColour = kValues;
             table->barColour = kLaneBars;
             table->highlightColour = kHighlight;
             box->addView(table, 8, 8);
             auto* steps = new BWBtnLineView(CRect(0, 0, 296, 21), nullptr, 373, &f);
             steps->model = &m.line;
             CBitmap* strip = image(1003);
             steps->setStepBitmap(strip);
             strip->forget();
             box->addView(steps, 8, 56);
         }},
    };
}

struct Tile {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// The scene drawn at its design size and shown at each zoom.
std::vector<Tile> render(const Scene& scene) {
    Models models;
    BWFrame frame(CRect(0, 0, scene.width, scene.height), nullptr, nullptr);
    frame.defaultFont = standardFonts()[6];
    frame.setBackgroundColor(kPanel);
    scene.build(frame, models);
    frame.idle();
    COffscreenContext context(&frame, scene.width, scene.height, kPanel);
    frame.draw(&context);
    std::vector<Tile> tiles;
    for (const float factor : kZooms) {
        Tile tile;
        tile.pixels = zoomedPixels(context, factor, tile.width, tile.height);
        tiles.push_back(std::move(tile));
    }
    return tiles;
}

}  // namespace

bool writePatternSheet(const std::string& path) {
    const std::vector<Scene> list = scenes();
    int32_t rowWidth = kGap, sheetHeight = kGap;
    for (const float factor : kZooms) rowWidth += static_cast<int32_t>(336 * factor) + kGap;
    for (const Scene& scene : list) sheetHeight += kCaption + static_cast<int32_t>(scene.height * 2.0f) + kGap;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, rowWidth, sheetHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0x17 / 255.0, 0x19 / 255.0, 0x1C / 255.0);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    int32_t y = kGap;
    for (const Scene& scene : list) {
        const std::vector<Tile> tiles = render(scene);
        cairo_set_source_rgb(cr, kTitle.red / 255.0, kTitle.green / 255.0, kTitle.blue / 255.0);
        cairo_move_to(cr, kGap, y + 11);
        cairo_show_text(cr, scene.caption);
        int32_t x = kGap;
        for (size_t i = 0; i < tiles.size(); ++i) {
            const Tile& tile = tiles[i];
            cairo_surface_t* piece = cairo_image_surface_create_for_data(
                reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(tile.pixels.data())), CAIRO_FORMAT_RGB24,
                tile.width, tile.height, static_cast<int>(sizeof(uint32_t)) * tile.width);
            cairo_set_source_surface(cr, piece, x, y + kCaption);
            cairo_paint(cr);
            cairo_surface_destroy(piece);
            char label[16];
            std::snprintf(label, sizeof(label), "%.0f %%", kZooms[i] * 100.0f);
            cairo_set_source_rgb(cr, kLabel.red / 255.0, kLabel.green / 255.0, kLabel.blue / 255.0);
            cairo_move_to(cr, x, y + 25);
            cairo_show_text(cr, label);
            x += static_cast<int32_t>(336 * kZooms[i]) + kGap;
        }
        y += kCaption + static_cast<int32_t>(scene.height * 2.0f) + kGap;
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

}  // namespace sheet
