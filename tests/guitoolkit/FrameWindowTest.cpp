// The frame's window: events from the window layer reach the views divided by
// the zoom, with the button bits, wheel distances, capture, cursors, repaint
// rectangles and zoom keys the plug-in's views rely on.

#include <gtest/gtest.h>

#include <algorithm>

#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"
#include <cairo.h>

#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/WindowSnapshot.h"
#include "support/TempDir.h"

namespace toolkit_test {
namespace {

using platform::MouseButtonId;

struct OpenEditor {
    explicit OpenEditor(float factor = 1.0f, int32_t screenWidth = 1920, int32_t screenHeight = 1080)
        : windows(screenWidth, screenHeight) {
        editor = new TestEditor(&effect);
        effect.can = {"sizeWindow"};
        editor->zoom(factor, true);
        host = windows.createWindow(0, 2000, 1500, nullptr);
        editor->open(handleOf(host));
    }
    VSTGUI::BWFrame& frame() { return *editor->bwFrame(); }
    platform::WindowId window() { return frame().getWindow(); }

    SettingsSandbox settings;
    ScopedWindows windows;
    HostEffect effect;
    TestEditor* editor;  // the effect deletes it
    platform::WindowId host = 0;
};

TEST(FrameWindow, MouseAndWheelEventsReachTheViewsInDesignPixels) {
    OpenEditor open(1.5f);
    CallLog log;
    auto* view = new ProbeView(log, "v", CRect(50, 100, 300, 400));
    open.frame().addView(view);
    ASSERT_NE(open.window(), 0u);

    auto& w = open.windows;
    w.press(open.window(), 150, 300);
    EXPECT_EQ(w.captured(), open.window()) << "a press answered 1 captures the mouse";
    w.release(open.window(), 150, 300);
    EXPECT_EQ(w.captured(), 0u);
    w.press(open.window(), 151, 301);  // second press within 500 ms and 4 px
    w.release(open.window(), 151, 301);
    w.advance(600);
    w.press(open.window(), 151, 301, MouseButtonId::Right, platform::kStateShift);
    w.release(open.window(), 151, 301, MouseButtonId::Right);

    platform::WindowRect r;
    ASSERT_TRUE(w.windowRect(open.window(), r));
    for (int32_t delta : {120, -240, 119}) w.wheel(open.window(), r.left + 150, r.top + 300, delta);

    // Views take points in their parent's coordinates: here the frame's.
    const CallLog expected = {
        "v.down(100,200,2,0)",  "v.up(100,200,0,0)",    "v.down(100,200,1026,0)", "v.up(100,200,0,0)",
        "v.down(100,200,24,0)", "v.up(100,200,0,0)",    "v.wheel(100,200,1)",     "v.wheel(100,200,-2)",
        "v.wheel(100,200,0)",
    };
    EXPECT_EQ(log, expected);
}

TEST(FrameWindow, RepaintRectanglesFollowTheZoomMode) {
    struct Case {
        float factor;
        CRect expected;
    } cases[] = {{1.0f, CRect(10, 10, 20, 20)}, {1.5f, CRect(13, 13, 31, 31)}, {2.0f, CRect(20, 20, 40, 40)}};
    for (const Case& c : cases) {
        OpenEditor open(c.factor, 2500, 1600);
        open.frame().invalidRect(CRect(10, 10, 20, 20));
        const platform::WindowRect u = open.windows.pendingUpdate(open.window());
        EXPECT_EQ(CRect(u.left, u.top, u.right, u.bottom), c.expected) << c.factor;
    }
}

TEST(FrameWindow, CursorsAndTheOneBeforeTheFirstChange) {
    OpenEditor open;
    using platform::CursorShape;
    const std::pair<int32_t, CursorShape> cases[] = {
        {1, CursorShape::Wait}, {2, CursorShape::SizeWE},   {3, CursorShape::SizeNS}, {4, CursorShape::SizeAll},
        {5, CursorShape::SizeNESW}, {6, CursorShape::SizeNWSE}, {8, CursorShape::No}, {9, CursorShape::Hand},
        {0, CursorShape::Arrow}, {7, CursorShape::Arrow},  {42, CursorShape::Arrow},
    };
    for (auto [type, shape] : cases) {
        open.frame().setCursor(type);
        EXPECT_EQ(open.windows.cursor(open.window()), shape) << type;
    }
}

TEST(FrameWindow, PaintDrawsOnlyWhatIsInvalidAndBlitsTheBackBuffer) {
    OpenEditor open;
    auto* view = new CView(CRect(0, 0, 10, 10));
    open.frame().addView(view);
    open.frame().setBackgroundColor(CColor{0, 0, 255, 255});
    open.windows.paint(open.window());
    const int32_t paints = open.frame().getPaintCount();
    EXPECT_FALSE(open.windows.paint(open.window())) << "an empty update region paints nothing";
    EXPECT_EQ(open.frame().getPaintCount(), paints);

    open.frame().invalidRect(CRect(100, 100, 110, 110));
    EXPECT_TRUE(open.windows.dispatchPendingPaint());
    const platform::WindowSurface s = open.windows.surface(open.window());
    auto at = [&](int32_t x, int32_t y) { return s.pixels[y * s.width + x] & 0xffffff; };
    EXPECT_EQ(at(105, 105), 0x0000ffu);
    EXPECT_EQ(at(99, 105), 0u) << "outside the update rectangle";
    EXPECT_EQ(at(110, 105), 0u);

    // The headless screenshot holds the same pixels.
    TempDir folder;
    ASSERT_TRUE(VSTGUI::writeWindowPng(open.window(), folder / "shot.png"));
    EXPECT_FALSE(VSTGUI::writeWindowPng(0, folder / "none.png"));
    cairo_surface_t* png = cairo_image_surface_create_from_png((folder / "shot.png").c_str());
    ASSERT_EQ(cairo_image_surface_get_width(png), s.width);
    cairo_surface_flush(png);
    const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(png) +
                                                        105 * cairo_image_surface_get_stride(png));
    EXPECT_EQ(row[105] & 0xffffff, 0x0000ffu);
    EXPECT_EQ(row[99] & 0xffffff, 0u);
    cairo_surface_destroy(png);
}

// The frame repaints what was made invalid, rectangle by rectangle (an
// expose of the window layer too), not the box around them; too many
// rectangles bring back the paint of the whole box.  On a blue background
// over a surface made black, blue pixels are the painted ones.
TEST(FrameWindow, APaintDrawsTheInvalidRectanglesApart) {
    enum Extra { None, Expose, ManyRectangles };
    struct Case {
        float factor;
        Extra extra;
        bool betweenPainted;
    } cases[] = {{1.0f, None, false},          {1.5f, None, false},   {2.0f, None, false},
                 {1.0f, Expose, false},         {1.5f, Expose, false}, {1.0f, ManyRectangles, true},
                 {1.5f, ManyRectangles, true}};
    for (const Case& c : cases) {
        OpenEditor open(c.factor, 2500, 1600);
        open.frame().setBackgroundColor(CColor{0, 0, 255, 255});
        open.frame().invalid();
        ASSERT_TRUE(open.windows.dispatchPendingPaint());  // the first paint: the whole window
        // Black again: what the next paint leaves alone stays black.
        const platform::WindowSurface first = open.windows.surface(open.window());
        std::fill_n(first.pixels, size_t(first.width) * first.height, 0u);
        open.frame().invalidRect(CRect(100, 100, 110, 110));
        open.frame().invalidRect(CRect(400, 300, 410, 310));
        if (c.extra == Expose) open.windows.invalidate(open.window(), {5, 5, 6, 6});
        if (c.extra == ManyRectangles)
            for (int32_t i = 0; i < 20; ++i) open.frame().invalidRect(CRect(130 + 12 * i, 200, 134 + 12 * i, 204));
        ASSERT_TRUE(open.windows.dispatchPendingPaint());
        const platform::WindowSurface s = open.windows.surface(open.window());
        // Blue, or nearly: the bilinear mix's weights may sum to a little
        // less than a whole.
        auto painted = [&](int32_t x, int32_t y) {
            const uint32_t pixel = s.pixels[int32_t(y * c.factor) * s.width + int32_t(x * c.factor)];
            return (pixel & 0xffff00) == 0 && (pixel & 0xff) >= 0xf0;
        };
        const std::string name = std::to_string(c.factor) + " " + std::to_string(int(c.extra));
        EXPECT_TRUE(painted(105, 105)) << name;
        EXPECT_TRUE(painted(405, 305)) << name;
        EXPECT_EQ(painted(300, 150), c.betweenPainted) << name;
        EXPECT_FALSE(painted(600, 400)) << "outside the box: " << name;
        if (c.extra == Expose) {
            EXPECT_NE(s.pixels[5 * s.width + 5] & 0xff, 0u) << "the exposed pixel: " << name;
        }
    }
}

TEST(FrameWindow, ZoomKeysStepOnlyWhileResizableAndTheResetKeyAlways) {
    OpenEditor open(1.0f, 2500, 1600);
    auto& zoom = open.editor->getZoom();
    auto key = [&](platform::WindowKey k, uint32_t keys) { open.windows.key(open.window(), k, 0, keys); };
    key(platform::WindowKey::Add, platform::kStateControl);
    EXPECT_EQ(zoom.totalFactor, 1.0f) << "not resizable";
    zoom.resizable = true;
    key(platform::WindowKey::Add, platform::kStateControl);
    key(platform::WindowKey::Add, platform::kStateControl);
    EXPECT_EQ(zoom.totalFactor, 1.2f);
    key(platform::WindowKey::Add, 0);
    EXPECT_EQ(zoom.totalFactor, 1.2f) << "Control is needed";
    key(platform::WindowKey::Subtract, platform::kStateControl);
    EXPECT_EQ(zoom.totalFactor, 1.1f);
    EXPECT_EQ(open.effect.sizes.back(), "1056x766");
    platform::WindowRect r;
    open.windows.windowRect(open.window(), r);
    EXPECT_EQ(r.width(), 1056);

    zoom.resizable = false;
    VstKeyCode reset{48, 0, VSTGUI::kModifierControl};
    EXPECT_EQ(open.frame().onKeyDown(reset), 1);
    EXPECT_EQ(zoom.totalFactor, 1.0f);
}

TEST(FrameWindow, APaintAfterTheHostWindowWasDraggedTakesTheMatchingStep) {
    OpenEditor open(1.0f, 2500, 1600);
    auto& zoom = open.editor->getZoom();
    struct Case {
        int32_t hostWidth;
        float expected;
    } cases[] = {{1250, 1.3f}, {1100, 1.3f}, {1262, 1.3f}};
    zoom.resizable = true;
    for (const Case& c : cases) {
        zoom.resizePending = true;
        open.windows.setWindowSize(open.host, c.hostWidth, 900);
        open.frame().invalidRect(CRect(0, 0, 5, 5));
        open.windows.dispatchPendingPaint();
        EXPECT_EQ(zoom.totalFactor, c.expected) << c.hostWidth;
        EXPECT_FALSE(zoom.resizePending);
    }
    // With the flags off (as the plug-in's editor leaves them) nothing happens.
    zoom.resizable = false;
    zoom.resizePending = true;
    open.windows.setWindowSize(open.host, 960, 700);
    open.frame().invalidRect(CRect(0, 0, 5, 5));
    open.windows.dispatchPendingPaint();
    EXPECT_EQ(zoom.totalFactor, 1.3f);
}

TEST(FrameWindow, LeaveAndDestroyAndPointer) {
    OpenEditor open(2.0f, 2500, 1600);
    CallLog log;
    auto* view = new ProbeView(log, "v", CRect(0, 0, 100, 100));
    open.frame().addView(view);
    open.windows.move(open.window(), 40, 60);
    EXPECT_EQ(open.frame().getMouseOverView(), view);
    CPoint where;
    open.frame().getCurrentLocation(where);
    EXPECT_EQ(where, CPoint(20, 30));
    open.windows.leave(open.window());
    EXPECT_EQ(open.frame().getMouseOverView(), nullptr);
    open.windows.destroyWindow(open.host);
    EXPECT_FALSE(open.frame().isOpen());
    EXPECT_EQ(open.frame().getWindow(), 0u);
}

TEST(FrameWindow, PositionOfTheOutermostPluginWindowAndSizeOfTheParent) {
    struct Case {
        int32_t hostWidth, hostHeight;
        CPoint position;
        CRect size;
    } cases[] = {
        {1000, 740, CPoint(100, 50), CRect(100, 50, 1100, 790)},  // the host window hugs the frame: it is the plug-in's
        {1100, 740, CPoint(0, 0), CRect(100, 50, 1200, 790)},     // wider by more than 60 pixels: the frame is
    };
    for (const Case& c : cases) {
        OpenEditor open;
        open.windows.setWindowSize(open.host, c.hostWidth, c.hostHeight);
        open.windows.moveWindow(open.host, 100, 50);
        int32_t x = -1, y = -1;
        open.frame().getPosition(x, y);
        EXPECT_EQ(CPoint(x, y), c.position) << c.hostWidth;
        CRect size;
        open.frame().getSize(&size);
        EXPECT_EQ(size, c.size);
    }
}

}  // namespace
}  // namespace toolkit_test
