// zorvane-gui-sheet <file.png>: draws a sheet of what the view toolkit draws
// (fonts and text placement, rectangle, line and arc styles, the standard
// colours, parameter displays and text edits in a view tree, picture-font
// measures and shortening, value curves) on an off-screen context and writes
// it as a PNG, so that a person can look at it.
// zorvane-gui-sheet --images <file.png>: a contact sheet of the interface
// images instead (ImageSheet.h); --widgets <file.png>: the value widgets at
// four zooms (WidgetSheet.h); --menus <file.png>: the option menus, closed
// and open, at four zooms (MenuSheet.h); --patterns <file.png>: the pattern
// editors at the editor's zoom factors (PatternSheet.h).

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "guitoolkit/BWBufferDraw.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/CFrame.h"
#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/CTextEdit.h"
#include "guitoolkit/DrawStringFitted.h"
#include "guitoolkit/EditField.h"
#include "gui-sheet/ImageSheet.h"
#include "gui-sheet/MenuSheet.h"
#include "gui-sheet/PatternSheet.h"
#include "gui-sheet/SheetLook.h"
#include "gui-sheet/WidgetSheet.h"
#include "ToolArguments.h"

using namespace VSTGUI;
using namespace sheet;

namespace {

constexpr int32_t kWidth = 960;
constexpr int32_t kHeight = 697;

const char* const kColourNames[18] = {"Transparent", "Black",     "White",     "Grey",      "Red",       "Green",
                                      "Blue",        "Yellow",    "Magenta",   "Cyan",      "LightYellow", "Orange",
                                      "LightBlue",   "PaleOlive", "LightRed",  "LightGreen", "GreyTeal", "None"};

void section(CDrawContext& c, const CRect& r, const char* title) {
    c.setFillColor(kSection);
    c.setFrameColor(kSeparator);
    c.drawRect(r, kDrawFilledAndFramed);
    c.setFont(standardFonts()[4], 0, kBoldFace);
    c.setFontColor(kTitle);
    c.drawString(title, CRect(r.left + 6, r.top + 3, r.right - 6, r.top + 18), false, kLeftText);
}

void label(CDrawContext& c, const char* text, const CRect& r, int32_t alignment = kLeftText) {
    c.setFont(standardFonts()[6]);
    c.setFontColor(kLabel);
    c.drawString(text, r, false, alignment);
}

void drawFonts(CDrawContext& c) {
    const CRect area(10, 10, 330, 300);
    section(c, area, "FONTS");
    int32_t y = area.top + 22;
    for (int32_t i = 0; i < kStandardFontCount; ++i) {
        CFontDesc* font = standardFonts()[i];
        char text[80];
        std::snprintf(text, sizeof(text), "%d  %s %d  Zorvane 0.50 abc", i, font->getName(), font->getSize());
        c.setFont(font);
        c.setFontColor(i == 7 ? kTeal : kTitle);
        const CRect line(area.left + 8, y, area.right - 8, y + font->getSize() + 6);
        c.drawString(i == 7 ? "abgdpqw \xac\xad\xae\xaf" : text, line, false, kLeftText);
        y = line.bottom;
    }
    const struct {
        int32_t style;
        const char* name;
    } styles[] = {{kBoldFace, "bold"}, {kItalicFace, "italic"}, {kUnderlineFace, "underline"}};
    int32_t x = area.left + 8;
    for (const auto& s : styles) {
        c.setFont(standardFonts()[2], 0, s.style);
        c.setFontColor(kAmber);
        c.drawString(s.name, CRect(x, y + 4, x + 80, y + 24), false, kLeftText);
        x += 80;
    }
    c.setFont(standardFonts()[4], 0, kRotateUpFace);
    c.drawString("rotated", CRect(area.right - 30, y - 120, area.right - 10, y), false, kLeftText);
    y += 30;
    const char* wrap = "Word-wrapped text runs on over several lines inside its box.";
    c.setFont(standardFonts()[5], 0, kWordWrapFace);
    c.setFontColor(kTitle);
    c.setFrameColor(kSeparator);
    const CRect box(area.left + 8, y, area.left + 150, y + 44);
    c.drawRect(box);
    c.drawString(wrap, box, false, kCenterText);

    // Alignment and fitting in boxes of one size.
    const CRect fitted(area.left + 160, y, area.right - 8, y + 16);
    const int32_t modes[] = {0, 1, 2, 3};
    for (int32_t m : modes) {
        CRect r = fitted;
        r.offset(0, m * 16 - 8);
        r.right = r.left + 100;
        c.setFrameColor(kSeparator);
        c.drawRect(r);
        c.setFont(standardFonts()[5]);
        c.setFontColor(kAmber);
        drawStringFitted(&c, r, m < 2 ? "Fitted text that is too long" : "Short", m);
        char name[16];
        std::snprintf(name, sizeof(name), "mode %d", m);
        label(c, name, CRect(r.right + 4, r.top, r.right + 60, r.bottom));
    }
}

void drawShapes(CDrawContext& c) {
    const CRect area(340, 10, 640, 300);
    section(c, area, "RECTANGLES, LINES, ARCS");
    const char* names[] = {"style 0", "style 1", "style 2"};
    for (int32_t s = 0; s < 3; ++s) {
        const CRect r(area.left + 10 + s * 95, area.top + 28, area.left + 90 + s * 95, area.top + 78);
        c.setFrameColor(kAmber);
        c.setFillColor(kTeal);
        c.drawRect(r, s);
        label(c, names[s], CRect(r.left, r.bottom + 2, r.right, r.bottom + 14), kCenterText);
    }
    // A 10 x 10 outline magnified: the corner pixels run through right - 1.
    COffscreenContext tiny(nullptr, 12, 12, kSection);
    tiny.setFrameColor(kAmber);
    tiny.drawRect(CRect(1, 1, 11, 11));
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const uint32_t p = tiny.getPixel(x, y);
            c.setFillColor(CColor{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
            const int32_t left = area.left + 10 + x * 6, top = area.top + 100 + y * 6;
            c.drawRect(CRect(left, top, left + 5, top + 5), kDrawFilled);
        }
    label(c, "outline (1,1,11,11) x6", CRect(area.left + 10, area.top + 174, area.left + 160, area.top + 186));

    for (int32_t i = 0; i < 6; ++i) {
        c.setLineStyle(i % 2 ? kLineOnOffDash : kLineSolid);
        c.setLineWidth(i < 4 ? 1 : 3);
        c.setFrameColor(i % 3 == 0 ? kAmber : kTitle);
        c.moveTo(CPoint(area.left + 100, area.top + 100 + i * 14));
        c.lineTo(CPoint(area.left + 180, area.top + 100 + i * 14 + (i % 3) * 6));
    }
    c.setLineStyle(kLineSolid);
    c.setLineWidth(1);

    // The knob track of the interface: 270 degrees from 7:30 to 4:30.
    const CRect knob(area.left + 200, area.top + 100, area.left + 260, area.top + 160);
    c.setFillColor(kSeparator);
    c.setFrameColor(kLabel);
    c.drawArc(knob, 0, 360, kDrawFilledAndFramed);
    c.setFrameColor(kAmber);
    c.setLineWidth(3);
    c.drawArc(CRect(knob.left + 6, knob.top + 6, knob.right - 6, knob.bottom - 6), 135, 315, kDrawStroked);
    c.setLineWidth(1);
    c.setFillColor(kTeal);
    c.drawArc(CRect(area.left + 200, area.top + 190, area.left + 260, area.top + 250), 0, 90, kDrawFilled);
    label(c, "arc 135..315, pie 0..90", CRect(area.left + 170, area.top + 256, area.right - 5, area.top + 270));
}

void drawColours(CDrawContext& c) {
    const CRect area(650, 10, 950, 300);
    section(c, area, "STANDARD COLOURS");
    for (int32_t i = 0; i < 18; ++i) {
        const int32_t col = i / 9, row = i % 9;
        const CRect swatch(area.left + 10 + col * 145, area.top + 26 + row * 29, area.left + 40 + col * 145,
                           area.top + 50 + row * 29);
        c.setFillColor(kStandardColours[i]);
        c.setFrameColor(kSeparator);
        c.drawRect(swatch, kDrawFilledAndFramed);
        char text[48];
        const CColor& k = kStandardColours[i];
        std::snprintf(text, sizeof(text), "%s %d,%d,%d,%d", kColourNames[i], k.red, k.green, k.blue, k.alpha);
        label(c, text, CRect(swatch.right + 4, swatch.top, swatch.right + 140, swatch.bottom));
    }
}

// Displays and text edits in a view tree, drawn through the frame.
void drawViews(CFrame& frame, CDrawContext& c) {
    auto* panel = new CViewContainer(CRect(10, 310, 470, 500));
    panel->setBackgroundColor(kSection);
    frame.addView(panel);
    const struct {
        int32_t style;
        float value;
    } displays[] = {{0, 0.5f}, {kStyle3DIn, 0.25f}, {kStyle3DOut, 0.75f}, {kStyleShadowText, 1.0f},
                    {kStyleNoFrame, 0.125f}, {kStyleNoText, 0.0f}};
    for (int32_t i = 0; i < 6; ++i) {
        auto* display = new CParamDisplay(CRect(10 + (i % 3) * 150, 30 + (i / 3) * 40, 140 + (i % 3) * 150,
                                                56 + (i / 3) * 40),
                                          nullptr, displays[i].style);
        display->setValue(displays[i].value);
        display->setBackColor(kPanel);
        display->setFrameColor(kSeparator);
        display->setFontColor(kAmber);
        display->setShadowColor(colourBlack);
        panel->addView(display);
    }
    auto* edit = new CTextEdit(CRect(10, 130, 220, 156), nullptr, 0, "Text edit: Osc1 Attack");
    edit->setBackColor(kPanel);
    edit->setFontColor(kTitle);
    edit->setHoriAlign(kLeftText);
    panel->addView(edit);
    auto* open = new CTextEdit(CRect(240, 130, 450, 156), nullptr, 0, "open field, all selected");
    open->setBackColor(kPanel);
    open->setFontColor(kTitle);
    panel->addView(open);
    frame.drawRect(&c, panel->getViewSize());
    open->takeFocus();  // the field lies in window pixels: the frame's coordinates at zoom 1
    if (EditField* field = open->getEditField()) field->draw(&c);

    c.setFont(standardFonts()[4], 0, kBoldFace);
    c.setFontColor(kTitle);
    c.drawString("PARAMETER DISPLAYS AND TEXT EDITS", CRect(16, 313, 460, 328), false, kLeftText);
}

// A picture font's measures: each character's cell at its width, and the
// shortened forms of a long name.
void drawPictureFont(CDrawContext& c) {
    const CRect area(480, 310, 950, 500);
    section(c, area, "PICTURE FONT MEASURES AND SHORTENING");
    BWPictureFont font;
    uint8_t widths[BWPictureFont::kGlyphCount];
    for (int32_t i = 0; i < BWPictureFont::kGlyphCount; ++i) {
        const char ch[2] = {static_cast<char>(i + 32), 0};
        c.setFont(standardFonts()[6]);
        widths[i] = static_cast<uint8_t>(std::max(3, c.getStringWidth(ch)));
    }
    font.setWidths(widths, sizeof(widths));
    font.setSpacing(1);
    auto cells = [&](const std::string& text, int32_t x, int32_t y) {
        for (char ch : text) {
            const int32_t w = font.glyphWidth(static_cast<uint8_t>(ch));
            c.setFrameColor(kSeparator);
            c.drawRect(CRect(x, y, x + w, y + font.getGlyphHeight() + 2));
            const char one[2] = {ch, 0};
            c.setFont(standardFonts()[6]);
            c.setFontColor(kAmber);
            c.drawString(one, CRect(x - 1, y, x + w + 1, y + font.getGlyphHeight() + 2), false, kCenterText);
            x += w + font.getSpacing();
        }
        return x;
    };
    const std::string source = "Chord Bank: Minor Sevenths 16";
    int32_t y = area.top + 26;
    for (int32_t mode : {0, 2}) {
        for (int32_t maxWidth : {400, 120, 80, 40}) {
            const std::string shortened = font.shortenText(source, maxWidth, mode);
            const int32_t end = cells(shortened, area.left + 10, y);
            char text[64];
            std::snprintf(text, sizeof(text), "mode %d, %d: width %d", mode, maxWidth, font.textWidth(shortened));
            label(c, text, CRect(std::max(end + 6, area.left + 200), y, area.right - 6, y + 12));
            y += 20;
        }
    }
}

void drawCurves(CDrawContext& c) {
    const CRect area(10, 510, 950, 687);
    section(c, area, "VALUE CURVES");
    for (int32_t kind = 0; kind < 2; ++kind) {
        BWBufferDraw curve;
        for (int32_t i = 0; i < 256; ++i) {
            const float t = i / 255.0f;
            auto mix = [t](const CColor& a, const CColor& b) {
                return CColor{uint8_t(a.red + (b.red - a.red) * t), uint8_t(a.green + (b.green - a.green) * t),
                              uint8_t(a.blue + (b.blue - a.blue) * t), 255};
            };
            curve.setGradient(0, i, mix(kSection, kAmber));
            curve.setGradient(1, i, mix(kSection, kTeal));
        }
        curve.setBackColor(kPanel);
        curve.setFillColor(kSeparator);
        curve.setLineColor(kTitle);
        const CRect view(area.left + 10 + kind * 465, area.top + 24, area.left + 455 + kind * 465, area.bottom - 10);
        curve.setSize(view);
        float* values = curve.getValues();
        for (size_t x = 0; x < curve.getValueCount(); ++x) {
            const double phase = static_cast<double>(x) / 60.0;
            values[x] = kind == 0 ? static_cast<float>(0.5 + 0.45 * std::sin(phase) * std::cos(phase / 3))
                                  : static_cast<float>(0.5 + 0.5 * std::sin(phase * 0.7) * std::exp(-phase / 10));
        }
        if (kind == 0)
            curve.drawCurve(0);
        else
            curve.drawBipolar();
        curve.blitTo(&c, view);
        label(c, kind == 0 ? "drawCurve" : "drawBipolar", CRect(view.left + 4, view.top + 2, view.left + 100, view.top + 14));
    }
}

}  // namespace

// Registered before anything draws, so that it runs after the toolkit's
// fonts, made on first use, are destroyed at exit: cairo lets go of its
// font caches, and fontconfig of the configuration it parsed, which it
// otherwise keeps to the end and a leak checker reports.
void releaseFontLibraries() {
    cairo_debug_reset_static_data();
    FcFini();
}

constexpr const char* kUsage =
    "usage: zorvane-gui-sheet [--images | --widgets | --menus | --patterns] FILE.png\n"
    "  Writes a sheet of what the view toolkit draws, or with an option the\n"
    "  interface images, the value widgets, the option menus or the pattern\n"
    "  editors, as a PNG file.\n";

int main(int argc, char** argv) {
    std::atexit(releaseFontLibraries);
    // The sheet's kind, when given, comes first; the rest is the tools' one path.
    using Writer = bool (*)(const std::string&);
    const std::pair<const char*, Writer> kinds[] = {{"--images", sheet::writeImageSheet},
                                                    {"--widgets", sheet::writeWidgetSheet},
                                                    {"--menus", sheet::writeMenuSheet},
                                                    {"--patterns", sheet::writePatternSheet}};
    std::vector<char*> words(argv, argv + argc);
    Writer writer = nullptr;
    for (const auto& [option, write] : kinds)
        if (words.size() > 1 && std::string(words[1]) == option) writer = write, words.erase(words.begin() + 1);
    const ToolArguments args = readToolArguments(static_cast<int>(words.size()), words.data(), "zorvane-gui-sheet", kUsage);
    if (args.exitStatus >= 0) return args.exitStatus;
    if (writer) return writer(args.path) ? 0 : 1;
    CFrame frame(CRect(0, 0, kWidth, kHeight));
    frame.setBackgroundColor(kPanel);
    COffscreenContext context(&frame, kWidth, kHeight, kPanel);
    frame.draw(&context);
    drawFonts(context);
    drawShapes(context);
    drawColours(context);
    drawViews(frame, context);
    drawPictureFont(context);
    drawCurves(context);

    cairo_surface_flush(context.getSurface());
    if (cairo_surface_write_to_png(context.getSurface(), args.path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "zorvane-gui-sheet: cannot write %s\n", args.path.c_str());
        return 1;
    }
    return 0;
}
