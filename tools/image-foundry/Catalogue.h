#pragma once
// Every image of the interface: its number, size, frames and how it is kept
// (PNG with alpha, grey PNG with alpha, opaque bitmap, or opaque bitmap whose
// pure white is see-through), and how one frame is drawn.

#include <cairo.h>

#include <functional>
#include <vector>

namespace foundry {

enum class Storage { rgbaPng, greyPng, bitmap, keyedBitmap };

// One frame of an image: its size, and which of how many it is.
struct Frame {
    int width;
    int height;
    int index;
    int count;
    // 0 for the first frame up to 1 for the last; 0 when there is one.
    double fraction() const { return count > 1 ? double(index) / (count - 1) : 0.0; }
};

struct ImageRecipe {
    int id;
    int width;
    int frameHeight;
    int frames;
    Storage storage;
    // Draws a frame into its width x height area at the origin.
    std::function<void(cairo_t*, const Frame&)> draw;
};

std::vector<ImageRecipe> catalogue();

// Parts of the catalogue kept in files of their own.
void drawPanel(cairo_t* cr);
void drawEffectsPanel(cairo_t* cr);
void drawSixteenthDelayPanel(cairo_t* cr);
void drawGlyph(cairo_t* cr, int font, int code, int glyphHeight);

}  // namespace foundry
