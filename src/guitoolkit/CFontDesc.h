#pragma once
// A system font by name, size in pixels and style bits, with the font made on
// first use and cached.  "Arial" resolves through fontconfig to a
// metric-compatible face (Liberation Sans), "Symbol" to the installed symbol
// face.  Eight standard fonts exist for the whole process.
// GUI thread only.

#include <cstdint>
#include <memory>
#include <string>

#include "guitoolkit/CBaseObject.h"

typedef struct _cairo_font_face cairo_font_face_t;

namespace VSTGUI {

enum FontStyle : int32_t {
    kBoldFace = 1,
    kItalicFace = 2,
    kUnderlineFace = 4,
    kRotateUpFace = 8,     // text runs upwards
    kRotateDownFace = 16,  // text runs downwards
    kWordWrapFace = 32,    // drawString wraps words over several lines
};

// The made font: the request a font description makes of the system (a
// Windows GDI font's height, weight and styles), and the face that answers it
// here.
struct SystemFont {
    int32_t height = 0;  // negative: character height in pixels
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    int32_t escapement = 0;  // tenths of a degree
    int32_t orientation = 0;
    bool decorative = false;  // the symbol font's family; every other font is Swiss
    bool symbolCharset = false;  // character codes are the symbol font's, not ANSI
    std::string faceName;
    cairo_font_face_t* face = nullptr;

    SystemFont() = default;
    SystemFont(const SystemFont&) = delete;
    SystemFont& operator=(const SystemFont&) = delete;
    ~SystemFont();
};

class CFontDesc : public CBaseObject {
public:
    CFontDesc(const char* name, int32_t size, int32_t style = 0);
    ~CFontDesc() override;

    // An equal name keeps the made font; another name (null clears) drops it.
    void setName(const char* name);
    const char* getName() const { return name.c_str(); }
    void setSize(int32_t value);
    int32_t getSize() const { return size; }
    void setStyle(int32_t value);
    int32_t getStyle() const { return style; }

    // The font, made on first use.
    const SystemFont* getFont();
    bool hasFont() const { return font != nullptr; }

private:
    std::string name;
    int32_t size;
    int32_t reserved = 0;
    int32_t style;
    std::unique_ptr<SystemFont> font;
};

inline constexpr int32_t kStandardFontCount = 8;
// The standard fonts: "Arial" 12, 18, 14, 12, 11, 10, 9 and "Symbol" 13, style
// 0, made on first use and kept for the life of the process.
CFontDesc* const* standardFonts();

}  // namespace VSTGUI
