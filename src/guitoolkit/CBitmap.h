#pragma once
// An image that views draw: premultiplied 32-bit pixels (blue, green, red,
// alpha bytes), drawn opaque, with a transparent colour, or alpha-blended with
// a constant alpha.  This is the drawing half; loading the interface's images
// from the module's resources builds on it (loadFromResource answers false
// until then).  Reference-counted; GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/CBaseObject.h"
#include "guitoolkit/CColor.h"
#include "guitoolkit/CRect.h"

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CDrawContext;

class CBitmap : public CBaseObject {
public:
    // An empty image of the size without per-pixel alpha (all black).
    CBitmap(int32_t width, int32_t height);
    ~CBitmap() override;

    // Draws the rectangle from offset in the image; the draw context's offset
    // and clip apply.
    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // Leaves out the pixels of the transparent colour (images with per-pixel
    // alpha are blended instead).
    virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                                uint8_t alpha = 255);
    virtual void dispose();
    virtual bool loadFromResource(int32_t resourceId);
    virtual void unload();

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    void setTransparentColor(const CColor& color) { transparentColor = color; }
    const CColor& getTransparentColor() const { return transparentColor; }
    bool hasAlpha() const { return !noAlpha; }

    // Pixels, top row first; after writing them, the loader says whether they
    // carry alpha (they are premultiplied then).
    uint32_t* getPixels() { return pixels.data(); }
    void setPixelsHaveAlpha(bool alpha);

private:
    cairo_surface_t* imageSurface();
    void drawWith(CDrawContext* context, const CRect& rect, const CPoint& offset, bool replace, double alpha);

    std::vector<uint32_t> pixels;
    int32_t width;
    int32_t height;
    CColor transparentColor = colourTransparent;
    bool noAlpha = true;
    cairo_surface_t* surface = nullptr;
};

}  // namespace VSTGUI
