#include "gui-sheet/ImageSheet.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"

namespace sheet {
namespace {

using namespace VSTGUI;

constexpr int kFirstId = 1000, kLastId = 1121;
constexpr int kSheetWidth = 1700, kGap = 14, kLabel = 12;
// Frame heights of the strips, for showing a few frames side by side.
struct Strip {
    int id, frameHeight;
};
constexpr Strip kStrips[] = {
    {1002, 32}, {1003, 21}, {1004, 15}, {1005, 15}, {1006, 21}, {1007, 15}, {1008, 13}, {1009, 9},  {1010, 21},
    {1011, 21}, {1012, 15}, {1013, 23}, {1014, 23}, {1015, 9},  {1016, 21}, {1018, 15}, {1019, 13}, {1020, 17},
    {1021, 43}, {1022, 17}, {1023, 17}, {1024, 11}, {1025, 13}, {1026, 13}, {1028, 15}, {1030, 25}, {1032, 55},
    {1033, 55}, {1034, 31}, {1035, 31}, {1036, 33}, {1038, 86}, {1039, 19}, {1040, 27}, {1041, 21}, {1042, 15},
    {1043, 11}, {1044, 11}, {1045, 11}, {1046, 11}, {1047, 15}, {1048, 61}, {1049, 19}, {1050, 21}, {1051, 17},
    {1052, 17}, {1053, 17}, {1054, 13}, {1055, 17}, {1056, 17}, {1057, 17}, {1061, 21}, {1062, 43}, {1063, 31},
    {1065, 69}, {1066, 17}, {1067, 8},  {1068, 8},  {1069, 11}, {1070, 11}, {1071, 11}, {1076, 11}, {1077, 15},
    {1078, 15}, {1079, 17}, {1080, 17}, {1081, 9},  {1082, 15}, {1083, 15}, {1084, 15}, {1085, 61}, {1086, 21},
    {1087, 70}, {1088, 13}, {1089, 21}, {1091, 17}, {1092, 17}, {1093, 5},  {1094, 11}, {1095, 11}, {1096, 11},
    {1097, 20}, {1098, 7},  {1100, 15}, {1101, 15}, {1102, 23}, {1103, 23}, {1104, 11}, {1105, 11}, {1106, 19},
    {1107, 19}, {1108, 13}, {1109, 13}, {1110, 21}, {1111, 21}, {1112, 21}, {1113, 13}, {1114, 70}, {1115, 15},
    {1116, 38}, {1117, 21}, {1118, 11}, {1119, 11}, {1120, 12}, {1121, 21},
};
constexpr int kKeyed[] = {1030, 1032, 1033, 1042, 1060, 1091};

int frameHeightOf(int id, int height) {
    for (const Strip& s : kStrips)
        if (s.id == id) return s.frameHeight;
    return height;
}
bool isGlyphStrip(int id, int width) { return width <= 15 && (id == 1042 || (id >= 1043 && id <= 1046) || (id >= 1069 && id <= 1071) || (id >= 1094 && id <= 1096)); }

struct Tile {
    CBitmap* bitmap;
    int id, frameHeight, shown, w, h;  // w x h on the sheet, label excluded
};

Tile makeTile(int id, CBitmap* bitmap) {
    Tile t{bitmap, id, frameHeightOf(id, bitmap->getHeight()), 1, bitmap->getWidth(), 0};
    const int frames = std::max(1, bitmap->getHeight() / t.frameHeight);
    if (isGlyphStrip(id, bitmap->getWidth())) {
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
    const bool keyed = std::find(std::begin(kKeyed), std::end(kKeyed), t.id) != std::end(kKeyed);
    auto blit = [&](int dx, int dy, int w, int h, int sourceY) {
        const CRect r(x + dx, y + dy, x + dx + w, y + dy + h);
        if (keyed)
            t.bitmap->drawTransparent(&context, r, CPoint(0, sourceY));
        else
            t.bitmap->draw(&context, r, CPoint(0, sourceY));
    };
    const int frames = t.bitmap->getHeight() / t.frameHeight;
    if (isGlyphStrip(t.id, t.bitmap->getWidth())) {
        for (int g = 0; g < 96; ++g)
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
    for (int id = kFirstId; id <= kLastId; ++id) {
        auto* bitmap = new CBitmap(CResourceDescription(id));
        if (!bitmap->isLoaded()) {
            std::fprintf(stderr, "zorvane-gui-sheet: image %d is missing\n", id);
            complete = false;
            bitmap->forget();
            continue;
        }
        tiles.push_back(makeTile(id, bitmap));
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
        const std::string label = std::to_string(t.id) + "  " + std::to_string(t.bitmap->getWidth()) + "x" +
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
