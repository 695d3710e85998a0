#pragma once
// An image that views draw: premultiplied 32-bit pixels (blue, green, red,
// alpha bytes), drawn opaque, with a transparent colour, or alpha-blended with
// a constant alpha.  It loads an image of the module by number or name: a PNG
// resource (or, for a name, a file) keeps its per-pixel alpha; a bitmap
// resource is opaque.  Loading may be deferred to the first draw.
// Reference-counted; GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/CBaseObject.h"
#include "guitoolkit/CColor.h"
#include "guitoolkit/CRect.h"
#include "guitoolkit/CResourceDescription.h"

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CDrawContext;
struct DecodedImage;

class CBitmap : public CBaseObject {
public:
    // Loads at once unless deferred (and no colour is given); with a colour
    // the loaded image is colorized.
    explicit CBitmap(const CResourceDescription& description, int32_t deferred = 0,
                     const CColor* colour = nullptr);
    // An empty image of the size without per-pixel alpha (all black).
    CBitmap(int32_t width, int32_t height);
    ~CBitmap() override;

    // Draws the rectangle from offset in the image; the draw context's offset
    // and clip apply.  An empty rectangle draws and loads nothing.
    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // Leaves out the pixels of the transparent colour (images with per-pixel
    // alpha are blended instead).
    virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                                uint8_t alpha = 255);
    // Drops the pixels; the size stays until unload.
    virtual void dispose();
    // False, and no pixels, when the image is missing or does not decode.
    virtual bool loadFromResource(const CResourceDescription& description);
    virtual void unload();

    // Loads first when there are no pixels yet.
    bool isLoaded();
    bool hasHandle() const { return handle; }
    // Tints every pixel that is not fully transparent: red, green and blue
    // become the colour's times alpha / 256.
    void colorize(const CColor& colour);

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    void setTransparentColor(const CColor& color) { transparentColor = color; }
    const CColor& getTransparentColor() const { return transparentColor; }
    bool hasAlpha() const { return !noAlpha; }
    const CResourceDescription& getResourceDescription() const { return description; }

    // Pixels, top row first; after writing them, the writer says whether they
    // carry alpha (they are premultiplied then), which also drops the copies
    // that drawing keeps.
    uint32_t* getPixels() { return pixels.data(); }
    const uint32_t* getPixels() const { return pixels.data(); }
    void setPixelsHaveAlpha(bool alpha);

private:
    cairo_surface_t* imageSurface();
    cairo_surface_t* keyedImage();
    void dropSurface();
    void take(DecodedImage&& image, bool alpha);
    void drawWith(CDrawContext* context, const CRect& rect, const CPoint& offset, bool replace, double alpha,
                  bool keyed = false);

    std::vector<uint32_t> pixels;
    CResourceDescription description;
    int32_t width = 0;
    int32_t height = 0;
    CColor transparentColor = colourTransparent;
    bool noAlpha = true;
    bool handle = false;
    cairo_surface_t* surface = nullptr;
    std::vector<uint32_t> keyedPixels;
    cairo_surface_t* keyedSurface = nullptr;
    uint32_t keyedColour = 0;
};

}  // namespace VSTGUI
