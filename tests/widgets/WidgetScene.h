#pragma once
// A frame in an in-process window for the widget tests, with a listener that
// logs every report, a clock that the test moves, and helpers that draw a
// widget on its own and read pixels back.

#include <cstring>
#include <memory>

#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/COffscreenContext.h"
#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"

namespace widget_test {

using namespace VSTGUI;
using toolkit_test::RecordingListener;
using toolkit_test::ScopedWindows;

struct WidgetScene {
    explicit WidgetScene(int32_t width = 300, int32_t height = 200) {
        host = windows.createWindow(0, width, height, nullptr);
        frame = new BWFrame(CRect(0, 0, width, height), toolkit_test::handleOf(host), nullptr);
    }
    ~WidgetScene() { frame->forget(); }
    WidgetScene(const WidgetScene&) = delete;
    WidgetScene& operator=(const WidgetScene&) = delete;

    template <class Widget>
    Widget* add(Widget* widget) {
        frame->addView(widget);
        return widget;
    }
    // Moves the clock, then runs the frame's idle (widget ticks, invalidations).
    void idle(uint32_t ms = 0) {
        windows.advance(ms);
        frame->idle();
    }
    CallLog takeLog() {
        CallLog taken;
        taken.swap(log);
        return taken;
    }

    SettingsSandbox settings;
    ScopedWindows windows;
    CallLog log;
    RecordingListener listener{log};
    platform::WindowId host = 0;
    BWFrame* frame = nullptr;
};

// A strip of `frames` frames of w x h whose frame i is filled with the colour
// 0xFF000000 + i + 1, so a drawn pixel tells which frame was drawn.
inline CBitmap* numberedStrip(int32_t w, int32_t h, int32_t frames, bool horizontal = false) {
    auto* strip = horizontal ? new CBitmap(w * frames, h) : new CBitmap(w, h * frames);
    uint32_t* p = strip->getPixels();
    const int32_t width = strip->getWidth();
    for (int32_t y = 0; y < strip->getHeight(); ++y)
        for (int32_t x = 0; x < width; ++x)
            p[y * width + x] = 0xFF000000u + static_cast<uint32_t>((horizontal ? x / w : y / h) + 1);
    strip->setPixelsHaveAlpha(false);
    return strip;
}

// The frame of a numbered strip at a pixel; -1 where none was drawn.
inline int32_t frameAt(const COffscreenContext& c, int32_t x, int32_t y) {
    const uint32_t p = c.getPixel(x, y) & 0xFFFFFFu;
    return p >= 1 && p <= 0xFFFF ? static_cast<int32_t>(p) - 1 : -1;
}

// Draws one view into a fresh context (black background).
inline std::unique_ptr<COffscreenContext, void (*)(COffscreenContext*)> drawn(CView& view, int32_t w = 300,
                                                                               int32_t h = 200) {
    auto* context = new COffscreenContext(nullptr, w, h, colourBlack);
    view.draw(context);
    return {context, [](COffscreenContext* c) { c->forget(); }};
}

// A picture font whose glyph bands are black with one marker pixel at x = 0 on
// the band's first row (colour 0xFF100000 + band), so the drawn text shows
// where each glyph went.
struct MarkerFont {
    MarkerFont(const uint8_t* widths, size_t count, int32_t glyphHeight = 11) {
        picture = new CBitmap(16, glyphHeight * BWPictureFont::kGlyphCount);
        std::memset(picture->getPixels(), 0, sizeof(uint32_t) * 16 * picture->getHeight());
        for (int32_t band = 0; band < BWPictureFont::kGlyphCount; ++band)
            picture->getPixels()[band * glyphHeight * 16] = 0xFF100000u + static_cast<uint32_t>(band);
        picture->setPixelsHaveAlpha(true);
        font.setPicture(picture);
        font.setGlyphHeight(glyphHeight);
        font.setWidths(widths, count);
    }
    ~MarkerFont() { picture->forget(); }
    MarkerFont(const MarkerFont&) = delete;
    MarkerFont& operator=(const MarkerFont&) = delete;

    // The x of every marker on a row, with the band it came from.
    static std::vector<std::pair<int32_t, int32_t>> markers(const COffscreenContext& c, int32_t row) {
        std::vector<std::pair<int32_t, int32_t>> found;
        for (int32_t x = 0; x < c.getWidth(); ++x)
            if ((c.getPixel(x, row) & 0xFFF00000u) == 0xFF100000u)
                found.emplace_back(x, static_cast<int32_t>(c.getPixel(x, row) & 0xFFFFF));
        return found;
    }

    CBitmap* picture;
    BWPictureFont font;
};

}  // namespace widget_test
