#pragma once
// All drawing goes through a draw context: a cairo context on a 32-bit image
// surface (blue, green, red, alpha bytes, premultiplied) with the current
// line, fill and font colours, font, clip rectangle and two offsets: where the
// context's window lies on the screen and where the view being drawn lies in
// the context (containers move it while their children draw).
//
// Coordinates given to the operations are view coordinates; the drawing
// offset is added before anything is drawn.  The pixels follow Windows GDI's
// rules exactly where callers rely on them: fills cover [left, right) x
// [top, bottom); an outline runs through right - 1 and bottom - 1; a line of
// width 1 is drawn pixel by pixel without antialiasing and leaves out its end
// point.  Arcs and pies are cairo's approximation of the ellipse.  Colours
// draw opaque (only red, green and blue are used).  Text goes through
// fontconfig and FreeType with fixed hinting and antialiasing, so one machine
// always draws the same pixels.  GUI thread only.

#include <cstdint>

#include "guitoolkit/CBaseObject.h"
#include "guitoolkit/CColor.h"
#include "guitoolkit/CRect.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CFontDesc;
class CFrame;

enum DrawStyle : int32_t {
    kDrawStroked = 0,
    kDrawFilled = 1,
    kDrawFilledAndFramed = 2,
};

enum LineStyle : int32_t {
    kLineSolid = 0,
    kLineOnOffDash = 1,  // every other pixel
};

enum HoriTxtAlign : int32_t {
    kLeftText = 0,  // with a pixel of room on the left
    kCenterText = 1,
    kRightText = 2,
};

class CDrawContext : public CBaseObject {
public:
    // Draws into the surface (which the context references while it lives);
    // a context without a surface draws nothing.
    CDrawContext(CFrame* frame, cairo_surface_t* surface, void* window = nullptr);
    ~CDrawContext() override;

    void setOffset(const CPoint& offset) { drawOffset = offset; }
    const CPoint& getOffset() const { return drawOffset; }
    void setScreenOffset(const CPoint& offset) { screenOffset = offset; }
    const CPoint& getScreenOffset() const { return screenOffset; }

    void setFrameColor(const CColor& color);
    const CColor& getFrameColor() const { return frameColor; }
    void setFillColor(const CColor& color);
    const CColor& getFillColor() const { return fillColor; }
    void setFontColor(const CColor& color);
    const CColor& getFontColor() const { return fontColor; }
    // A fixed font colour ignores setFontColor (the text colour is the caller's).
    void setFontColorFixed(bool fixed) { fontColorFixed = fixed; }
    bool isFontColorFixed() const { return fontColorFixed; }
    void setLineWidth(int32_t width);
    int32_t getLineWidth() const { return lineWidth; }
    void setLineStyle(int32_t style);
    int32_t getLineStyle() const { return lineStyle; }

    // A size of 1 or more that differs from the font's, or a style (not -1)
    // that differs, selects a new font of the font's name in that size and
    // style; otherwise the font itself.
    void setFont(CFontDesc* font, int32_t size = 0, int32_t style = -1);
    CFontDesc* getFont() const { return font; }
    void setCharacterSpacing(float spacing) { characterSpacing = spacing; }
    float getCharacterSpacing() const { return characterSpacing; }

    // The clip rectangle in view coordinates.
    void setClipRect(const CRect& rect);
    CRect& getClipRect(CRect& rect) const;
    void resetClipRect();

    void moveTo(const CPoint& point);
    void lineTo(const CPoint& point);
    CPoint getPenPosition() const;
    void drawRect(const CRect& rect, int32_t style = kDrawStroked);
    // Angles in degrees, 0 at the top, counter-clockwise from start to end;
    // the bounding box's right and bottom are one larger than rect's.
    void drawArc(const CRect& rect, float startAngle, float endAngle, int32_t style = kDrawStroked);

    int32_t getStringWidth(const char* text);
    // Height of one line of the current font (ascent plus descent).
    int32_t getFontHeight();
    void drawString(const char* text, const CRect& rect, bool opaque = false, int32_t alignment = kCenterText);

    // Copies pixels unchanged (alpha included) from another context: rect is
    // in this context's view coordinates, the source point in the source's.
    void copyPixelsFrom(CDrawContext& source, const CRect& rect, const CPoint& sourcePoint);

    cairo_t* getCairo() const { return cr; }
    cairo_surface_t* getSurface() const { return surface; }
    CFrame* getFrame() const { return frame; }
    void* getWindow() const { return window; }

protected:
    void attachSurface(cairo_surface_t* target);

private:
    void applyClip();
    void setSourceColor(const CColor& color);
    // One line of the current pen in device pixels, end point left out.
    void deviceLine(CPoint from, CPoint to);
    void plotPixelLine(CPoint from, CPoint to);
    void drawTextLine(const char* text, size_t length, double x, double baseline, bool opaque, int32_t lineHeight);
    double measure(const char* text, size_t length);
    bool selectFont();

    CPoint screenOffset;
    CPoint drawOffset;
    cairo_t* cr = nullptr;
    cairo_surface_t* surface = nullptr;
    void* window = nullptr;
    CFrame* frame = nullptr;
    CFontDesc* font = nullptr;
    CColor fontColor = colourWhite;
    int32_t lineWidth = 1;
    CColor frameColor = colourWhite;
    CColor fillColor = colourBlack;
    int32_t lineStyle = kLineSolid;
    CRect clipRect;  // device coordinates
    float characterSpacing = 0.0f;
    CPoint penPosition;  // device coordinates
    bool fontColorFixed = false;
};

// Narrows the context's clip to a rectangle for a scope and restores the
// clip it found when the scope ends.
class ScopedClip {
public:
    ScopedClip(CDrawContext& context, const CRect& rect) : context(context) {
        context.getClipRect(previous);
        CRect clip = rect;
        clip.bound(previous);
        context.setClipRect(clip);
    }
    ~ScopedClip() { context.setClipRect(previous); }
    ScopedClip(const ScopedClip&) = delete;
    ScopedClip& operator=(const ScopedClip&) = delete;

private:
    CDrawContext& context;
    CRect previous;
};

}  // namespace VSTGUI
