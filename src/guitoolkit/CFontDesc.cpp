#include "guitoolkit/CFontDesc.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

namespace VSTGUI {

namespace {

// Matches the name and style through fontconfig ("Arial" finds its
// metric-compatible face through fontconfig's own aliases).
cairo_font_face_t* makeFace(const std::string& name, bool bold, bool italic) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    return face;
}

}  // namespace

SystemFont::~SystemFont() {
    if (face) cairo_font_face_destroy(face);
}

CFontDesc::CFontDesc(const char* name, int32_t size, int32_t style)
    : name(name ? name : ""), size(size), style(style) {}

CFontDesc::~CFontDesc() = default;

void CFontDesc::setName(const char* value) {
    if (value && name == value) return;
    name = value ? value : "";
    font.reset();
}

void CFontDesc::setSize(int32_t value) {
    size = value;
    font.reset();
}

void CFontDesc::setStyle(int32_t value) {
    if (value == style) return;
    style = value;
    font.reset();
}

const SystemFont* CFontDesc::getFont() {
    if (font) return font.get();
    auto made = std::make_unique<SystemFont>();
    made->height = -size;
    made->weight = (style & kBoldFace) ? 700 : 400;
    made->italic = (style & kItalicFace) != 0;
    made->underline = (style & kUnderlineFace) != 0;
    if (style & kRotateUpFace) made->escapement = made->orientation = 900;
    if (style & kRotateDownFace) made->escapement = made->orientation = -900;
    made->decorative = name == standardFonts()[kStandardFontCount - 1]->getName();
    made->symbolCharset = made->decorative;
    made->faceName = name;
    made->face = makeFace(name, made->weight >= 700, made->italic);
    font = std::move(made);
    return font.get();
}

CFontDesc* const* standardFonts() {
    struct Table {
        CFontDesc* fonts[kStandardFontCount];
        Table()
            : fonts{new CFontDesc("Arial", 12), new CFontDesc("Arial", 18), new CFontDesc("Arial", 14),
                    new CFontDesc("Arial", 12), new CFontDesc("Arial", 11), new CFontDesc("Arial", 10),
                    new CFontDesc("Arial", 9),  new CFontDesc("Symbol", 13)} {}
        ~Table() {
            for (CFontDesc* font : fonts) font->forget();
        }
    };
    static Table table;
    return table.fonts;
}

}  // namespace VSTGUI
