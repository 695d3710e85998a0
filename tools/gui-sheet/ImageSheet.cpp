#include "gui-sheet/ImageSheet.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "image-foundry/Catalogue.h"

namespace sheet {
namespace {

using namespace VSTGUI;

constexpr int kSheetWidth = 1700, kGap = 14, kLabel = 12;
constexpr int kGlyphCount = 96;

bool isGlyphStrip(const foundry::ImageRecipe& recipe) { return recipe.frames == kGlyphCount; }

struct Tile {
    CBitmap* bitmap;
    const foundry::ImageRecipe* recipe;
    int frameHeight, shown, w, h;  // w x h on the sheet, label excluded
};

Tile makeTile(const foundry::ImageRecipe& recipe, CBitmap* bitmap) {
    Tile t{bitmap, &recipe, recipe.frameHeight, 1, bitmap->getWidth(), 0};
    const int frames = std::max(1, bitmap->getHeight() / t.frameHeight);
    if (isGlyphStrip(recipe)) {
        t.w = 16 * (bitmap->getWidth() + 2);
        t.h = 6 * (t.frameHeight + 2);
        return t;
    }
    t.shown = std::min(frames, 4);
    t.w = t.shown * (bitmap->getWidth() + 4);
    t.h = t.frameHeight;
    return t;
}

void drawTile(CDrawContext& context, const Tile& t, int x, int y) {
    const bool keyed = t.recipe->storage == foundry::Storage::keyedBitmap;
    auto blit = [&](int dx, int dy, int w, int h, int sourceY) {
        const CRect r(x + dx, y + dy, x + dx + w, y + dy + h);
        if (keyed)
            t.bitmap->drawTransparent(&context, r, CPoint(0, sourceY));
        else
            t.bitmap->draw(&context, r, CPoint(0, sourceY));
    };
    const int frames = t.bitmap->getHeight() / t.frameHeight;
    if (isGlyphStrip(*t.recipe)) {
        for (int g = 0; g < kGlyphCount; ++g)
            blit(g % 16 * (t.bitmap->getWidth() + 2), g / 16 * (t.frameHeight + 2), t.bitmap->getWidth(), t.frameHeight,
                 g * t.frameHeight);
        return;
    }
    for (int i = 0; i < t.shown; ++i) {
        const int frame = t.shown == 1 ? 0 : i * (frames - 1) / (t.shown - 1);  // first ... last
        blit(i * (t.bitmap->getWidth() + 4), 0, t.bitmap->getWidth(), t.frameHeight, frame * t.frameHeight);
    }
}

}  // namespace

bool writeImageSheet(const std::string& path) {
    std::vector<Tile> tiles;
    bool complete = true;
    const std::vector<foundry::ImageRecipe> recipes = foundry::catalogue();
    for (const foundry::ImageRecipe& recipe : recipes) {
        auto* bitmap = new CBitmap(CResourceDescription(recipe.id));
        if (!bitmap->isLoaded()) {
            std::fprintf(stderr, "zorvane-gui-sheet: image %d is missing\n", recipe.id);
            complete = false;
            bitmap->forget();
            continue;
        }
        tiles.push_back(makeTile(recipe, bitmap));
    }
    // Flow the tiles into rows, each at least as wide as its label.
    std::vector<std::pair<int, int>> at;
    int x = kGap, y = kGap, rowHeight = 0;
    for (Tile& t : tiles) {
        t.w = std::max(t.w, 110);
        if (x + t.w > kSheetWidth - kGap && x > kGap) {
            x = kGap;
            y += rowHeight + kLabel + kGap;
            rowHeight = 0;
        }
        at.emplace_back(x, y);
        x += t.w + kGap;
        rowHeight = std::max(rowHeight, t.h);
    }
    const int height = y + rowHeight + kLabel + kGap;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSheetWidth, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.23, 0.24, 0.26);
    cairo_paint(cr);
    {
        CDrawContext context(nullptr, surface);
        context.setClipRect(CRect(0, 0, kSheetWidth, height));
        for (size_t i = 0; i < tiles.size(); ++i) drawTile(context, tiles[i], at[i].first, at[i].second + kLabel);
    }
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 10);
    cairo_set_source_rgb(cr, 0.85, 0.86, 0.88);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const Tile& t = tiles[i];
        const std::string label = std::to_string(t.recipe->id) + "  " + std::to_string(t.bitmap->getWidth()) + "x" +
                                  std::to_string(t.bitmap->getHeight()) + (t.bitmap->hasAlpha() ? " png" : " bmp");
        cairo_move_to(cr, at[i].first, at[i].second + 9);
        cairo_show_text(cr, label.c_str());
        t.bitmap->forget();
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written && complete;
}

}  // namespace sheet
