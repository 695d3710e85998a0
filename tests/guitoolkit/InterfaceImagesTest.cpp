// The module's resource table holds the 122 interface images with the sizes,
// frame counts and kinds the editor's layouts need, and the picture-font
// strips put each glyph inside its band.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "guitoolkit/CBitmap.h"
#include "platform/ResourceTable.h"

namespace {

using namespace VSTGUI;
using platform::ResourceType;

enum Kind { bmp, key, rgba, grey };  // opaque, opaque with a white key, PNG RGBA, PNG grey + alpha
struct Expected {
    int id, width, frames, frameHeight;
    Kind kind;
};

// Step cells are 42 wide (672 / 16 steps); button lines show values 1 to 4.
constexpr Expected kImages[] = {
    {1000, 960, 1, 697, bmp},  {1001, 300, 1, 300, bmp},  {1002, 177, 4, 32, bmp},   {1003, 21, 3, 21, bmp},
    {1004, 45, 2, 15, bmp},    {1005, 45, 6, 15, bmp},    {1006, 21, 3, 21, bmp},    {1007, 41, 2, 15, bmp},
    {1008, 13, 2, 13, bmp},    {1009, 17, 5, 9, bmp},     {1010, 20, 2, 21, bmp},    {1011, 21, 2, 21, bmp},
    {1012, 15, 2, 15, bmp},    {1013, 14, 2, 23, bmp},    {1014, 14, 2, 23, bmp},    {1015, 17, 5, 9, bmp},
    {1016, 20, 2, 21, bmp},    {1017, 671, 1, 87, rgba},  {1018, 40, 8, 15, bmp},    {1019, 13, 2, 13, bmp},
    {1020, 89, 3, 17, bmp},    {1021, 43, 128, 43, rgba}, {1022, 40, 3, 17, rgba},   {1023, 70, 2, 17, bmp},
    {1024, 14, 14, 11, bmp},   {1025, 13, 2, 13, bmp},    {1026, 13, 2, 13, bmp},    {1027, 96, 1, 15, bmp},
    {1028, 42, 3, 15, bmp},    {1029, 144, 1, 114, bmp},  {1030, 45, 17, 25, key},   {1031, 52, 1, 15, bmp},
    {1032, 36, 17, 55, key},   {1033, 36, 17, 55, key},   {1034, 31, 128, 31, rgba}, {1035, 31, 128, 31, rgba},
    {1036, 111, 2, 33, bmp},   {1037, 763, 1, 182, bmp},  {1038, 21, 16, 86, bmp},   {1039, 62, 48, 19, rgba},
    {1040, 27, 49, 27, rgba},  {1041, 25, 2, 21, bmp},    {1042, 15, 96, 15, key},   {1043, 11, 96, 11, rgba},
    {1044, 11, 96, 11, rgba},  {1045, 11, 96, 11, rgba},  {1046, 11, 96, 11, rgba},  {1047, 83, 8, 15, bmp},
    {1048, 21, 59, 61, bmp},   {1049, 83, 69, 19, rgba},  {1050, 21, 1, 21, bmp},    {1051, 9, 2, 17, bmp},
    {1052, 9, 2, 17, bmp},     {1053, 17, 2, 17, bmp},    {1054, 13, 2, 13, bmp},    {1055, 17, 2, 17, bmp},
    {1056, 17, 2, 17, bmp},    {1057, 17, 2, 17, bmp},    {1058, 672, 1, 34, bmp},   {1059, 672, 1, 7, bmp},
    {1060, 672, 1, 34, key},   {1061, 21, 127, 21, rgba}, {1062, 43, 128, 43, rgba}, {1063, 31, 128, 31, rgba},
    {1064, 300, 1, 184, bmp},  {1065, 69, 2, 69, bmp},    {1066, 319, 16, 17, rgba}, {1067, 11, 2, 8, bmp},
    {1068, 11, 2, 8, bmp},     {1069, 11, 96, 11, rgba},  {1070, 11, 96, 11, rgba},  {1071, 11, 96, 11, rgba},
    {1072, 99, 1, 15, bmp},    {1073, 113, 1, 17, bmp},   {1074, 113, 1, 17, bmp},   {1075, 113, 1, 17, bmp},
    {1076, 12, 16, 11, bmp},   {1077, 120, 2, 15, bmp},   {1078, 120, 2, 15, bmp},   {1079, 10, 2, 17, bmp},
    {1080, 10, 2, 17, bmp},    {1081, 8, 11, 9, rgba},    {1082, 83, 10, 15, bmp},   {1083, 83, 10, 15, bmp},
    {1084, 83, 6, 15, bmp},    {1085, 21, 59, 61, bmp},   {1086, 21, 2, 21, bmp},    {1087, 25, 57, 70, rgba},
    {1088, 13, 2, 13, bmp},    {1089, 68, 2, 21, bmp},    {1090, 8, 1, 8, grey},     {1091, 31, 24, 17, key},
    {1092, 30, 2, 17, bmp},    {1093, 17, 2, 5, bmp},     {1094, 11, 96, 11, rgba},  {1095, 11, 96, 11, rgba},
    {1096, 11, 96, 11, rgba},  {1097, 20, 2, 20, bmp},    {1098, 64, 4, 7, rgba},    {1099, 18, 1, 255, grey},
    {1100, 15, 12, 15, bmp},   {1101, 40, 8, 15, rgba},   {1102, 14, 2, 23, bmp},    {1103, 14, 2, 23, bmp},
    {1104, 128, 2, 11, bmp},   {1105, 39, 27, 11, rgba},  {1106, 45, 5, 19, bmp},    {1107, 45, 5, 19, bmp},
    {1108, 57, 8, 13, rgba},   {1109, 57, 3, 13, bmp},    {1110, 20, 2, 21, bmp},    {1111, 20, 2, 21, bmp},
    {1112, 20, 2, 21, bmp},    {1113, 57, 2, 13, bmp},    {1114, 25, 57, 70, rgba},  {1115, 67, 5, 15, rgba},
    {1116, 7, 14, 38, rgba},   {1117, 21, 1, 21, bmp},    {1118, 27, 128, 11, rgba}, {1119, 27, 128, 11, rgba},
    {1120, 84, 2, 12, grey},   {1121, 104, 5, 21, rgba},
};

TEST(InterfaceImages, AllOfThemWithTheirSizesFramesAndKinds) {
    const platform::ResourceTable& table = platform::moduleResources();
    ASSERT_EQ(std::size(kImages), 122u);
    EXPECT_EQ(table.entries().size(), 122u);
    std::map<Kind, int> counts;
    for (const Expected& e : kImages) {
        SCOPED_TRACE(e.id);
        const auto png = table.find(ResourceType::png, e.id);
        const auto dib = table.find(ResourceType::bitmap, e.id);
        ASSERT_NE(png.empty(), dib.empty()) << "exactly one resource per id";
        if (!png.empty()) {
            ASSERT_GT(png.size(), 29u);
            EXPECT_EQ(png[24], 8) << "bit depth";
            EXPECT_EQ(png[25], e.kind == grey ? 4 : 6) << "colour type";
            EXPECT_EQ(png[28], 0) << "interlace";
        }
        auto* bitmap = new CBitmap(CResourceDescription(e.id));
        ASSERT_TRUE(bitmap->hasHandle());
        EXPECT_EQ(bitmap->getWidth(), e.width);
        EXPECT_EQ(bitmap->getHeight(), e.frames * e.frameHeight);
        EXPECT_EQ(bitmap->hasAlpha(), e.kind == rgba || e.kind == grey);
        const uint32_t* p = bitmap->getPixels();
        const bool hasWhite = std::any_of(p, p + e.width * bitmap->getHeight(),
                                          [](uint32_t v) { return (v & 0xFFFFFFu) == 0xFFFFFFu; });
        if (e.kind == key) {
            EXPECT_TRUE(hasWhite) << "a keyed image shows through somewhere";
        }
        ++counts[e.kind];
        bitmap->forget();
    }
    EXPECT_EQ(counts[rgba] + counts[grey], 37);
    EXPECT_EQ(counts[grey], 3);
    EXPECT_EQ(counts[bmp] + counts[key], 85);
}

// Glyph widths of codes 32 to 126 (127 keeps the default 10).
constexpr uint8_t kTableA[95] = {2, 4, 4, 7, 7, 7, 7, 3, 5, 4, 7, 6, 5, 5, 4,  5, 6, 4, 6, 6, 6, 6, 6, 6,
                                 6, 6, 3, 4, 7, 7, 7, 7, 11, 8, 7, 7, 7, 6, 6, 7, 7, 3, 7, 7, 6, 8, 7, 7,
                                 6, 7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 4, 6, 4, 4, 7, 3, 8, 7, 7, 7, 6, 6, 7,
                                 7, 3, 7, 7, 6, 8, 7, 7, 6, 7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 5, 2, 6, 7};
constexpr uint8_t kTableB[95] = {4,  4,  6,  10, 8,  10, 10, 5, 7, 7, 6,  8, 5, 5, 4, 5, 8, 7, 8, 8, 8, 8, 8, 8,
                                 8,  8,  4,  5,  10, 10, 10, 10, 15, 10, 10, 10, 10, 9, 9, 10, 10, 5, 7, 10, 9, 11, 10, 11,
                                 9,  10, 10, 9,  9,  10, 10, 13, 10, 10, 10, 7, 9, 7, 7, 10, 6, 8, 9, 8, 9, 7, 5, 8,
                                 9,  4,  4,  9,  4,  12, 9,  9,  9, 9, 6, 7, 5, 8, 8, 11, 8, 8, 8, 8, 5, 9, 10};

// Each printable glyph has ink, and only inside its band: rows of its own
// code, columns left of its width ('%' is 8 wide in fonts 1, 4 and 7).
TEST(InterfaceImages, GlyphStripsKeepEachGlyphInsideItsBand) {
    const struct {
        int id, glyphHeight;
        const uint8_t* widths;
        bool narrowPercent;
    } strips[] = {{1071, 11, kTableA, false}, {1070, 11, kTableA, true},  {1069, 11, kTableA, false},
                  {1046, 11, kTableA, false}, {1045, 11, kTableA, true},  {1044, 11, kTableA, false},
                  {1096, 11, kTableA, false}, {1095, 11, kTableA, true},  {1094, 11, kTableA, false},
                  {1042, 15, kTableB, false}, {1043, 11, kTableA, false}};
    for (const auto& s : strips) {
        auto* bitmap = new CBitmap(CResourceDescription(s.id));
        ASSERT_TRUE(bitmap->hasHandle());
        const int w = bitmap->getWidth();
        for (int code = 33; code < 127; ++code) {
            const int width = code == '%' && s.narrowPercent ? 8 : s.widths[code - 32];
            int inside = 0, outside = 0;
            for (int y = 0; y < s.glyphHeight; ++y)
                for (int x = 0; x < w; ++x) {
                    const uint32_t p = bitmap->getPixels()[((code - 32) * s.glyphHeight + y) * w + x];
                    const bool ink = bitmap->hasAlpha() ? (p >> 24) != 0 : (p & 0xFFFFFFu) != 0xFFFFFFu;
                    (x < width ? inside : outside) += ink;
                }
            EXPECT_GT(inside, 0) << s.id << " '" << char(code) << "'";
            EXPECT_EQ(outside, 0) << s.id << " '" << char(code) << "'";
        }
        bitmap->forget();
    }
}

}  // namespace
