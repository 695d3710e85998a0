// The frame in a real X window: under an Xvfb server of the test's own, a
// zoomed editor's frame with a few views takes clicks, a drag and a wheel
// notch sent through XTest, and a drop by the XDND protocol.  The views must
// receive the same events, and the server must hold the same pixels, as with
// the in-process window back-end.

#include <gtest/gtest.h>

#include <chrono>

#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"
#include "support/WindowPixels.h"
#include "support/XvfbServer.h"
#include "guitoolkit/CDragContainer.h"
#include "guitoolkit/CDrawContext.h"
#include "platform/X11Windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace toolkit_test {
namespace {

class PaintedView : public ProbeView {
public:
    PaintedView(CallLog& log, std::string name, const CRect& size, CColor colour)
        : ProbeView(log, std::move(name), size), colour(colour) {}
    void draw(CDrawContext* context) override {
        context->setFillColor(colour);
        context->drawRect(size, VSTGUI::kDrawFilled);
        context->setFrameColor(colourWhite);
        context->drawRect(size, VSTGUI::kDrawStroked);
        context->moveTo(CPoint(size.left, size.top));
        context->lineTo(CPoint(size.right, size.bottom));
    }
    bool onDrop(VSTGUI::CDragContainer* drag, const CPoint&) override {
        int32_t n = 0, type = 0;
        for (void* item = drag->first(n, type); item; item = drag->next(n, type))
            log.push_back(name + ".drop(" + std::to_string(type) + ")" + static_cast<const char*>(item));
        return true;
    }
    CColor colour;
};

// An editor at zoom 1.5 whose frame holds two painted views.
struct Scene {
    explicit Scene(platform::WindowSystem& windows) {
        editor = new TestEditor(&effect, 480, 320);  // display base factor 1 on the 1280 x 1024 screen
        editor->zoom(1.5f, true);
        host = windows.createWindow(0, 800, 600, nullptr);
        editor->open(handleOf(host));
        frame().setBackgroundColor(CColor{30, 40, 50, 255});
        frame().addView(new PaintedView(log, "one", CRect(20, 20, 220, 180), CColor{200, 20, 20, 255}));
        frame().addView(new PaintedView(log, "two", CRect(240, 80, 460, 300), CColor{20, 180, 60, 255}));
    }
    VSTGUI::BWFrame& frame() { return *editor->bwFrame(); }
    platform::WindowId window() { return frame().getWindow(); }

    CallLog log;
    HostEffect effect;
    TestEditor* editor;
    platform::WindowId host = 0;
};

struct Step {
    enum Kind { Move, Press, Release, Wheel } kind;
    int32_t x, y;
};
const Step kSteps[] = {{Step::Move, 120, 90},    {Step::Press, 120, 90},   {Step::Move, 300, 240},
                       {Step::Release, 300, 240}, {Step::Move, 600, 400}, {Step::Press, 600, 400},
                       {Step::Release, 600, 400}, {Step::Wheel, 600, 400}};

// Answers the XDND conversation of a drop source: offers a uri-list and
// hands it over when asked.
void dropFiles(Display* d, Window target, const std::string& uriList, platform::X11Windows& windows,
               const CallLog& log) {
    const Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom selection = XInternAtom(d, "XdndSelection", False);
    const Atom uri = XInternAtom(d, "text/uri-list", False);
    XSetSelectionOwner(d, selection, source, CurrentTime);
    auto send = [&](const char* type, long l1, long l2) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = target;
        e.xclient.message_type = XInternAtom(d, type, False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(source);
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[4] = static_cast<long>(XInternAtom(d, "XdndActionCopy", False));
        XSendEvent(d, target, False, NoEventMask, &e);
        XFlush(d);
    };
    send("XdndEnter", 5L << 24, static_cast<long>(uri));
    send("XdndPosition", 0, (20 << 16) | 20);
    send("XdndDrop", 0, CurrentTime);
    // The target lives on another connection of this process: pump it and
    // answer its request on ours.
    for (int round = 0; round < 300 && log.empty(); ++round) {
        windows.pump(10);
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != SelectionRequest) continue;
            const XSelectionRequestEvent& r = e.xselectionrequest;
            XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
            XEvent answer{};
            answer.xselection.type = SelectionNotify;
            answer.xselection.requestor = r.requestor;
            answer.xselection.selection = r.selection;
            answer.xselection.target = r.target;
            answer.xselection.property = r.property;
            answer.xselection.time = r.time;
            XSendEvent(d, r.requestor, False, NoEventMask, &answer);
            XFlush(d);
        }
    }
    XDestroyWindow(d, source);
}

TEST(FrameX11, SameEventsAndPixelsAsInProcess) {
    if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    SettingsSandbox settings;
    XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";

    // The reference run.
    CallLog expectedLog;
    std::vector<uint32_t> expectedPixels;
    {
        ScopedWindows windows(1280, 1024);
        Scene scene(windows);
        platform::WindowRect r;
        windows.windowRect(scene.window(), r);
        for (const Step& s : kSteps) {
            if (s.kind == Step::Move) windows.move(scene.window(), s.x, s.y);
            if (s.kind == Step::Press) windows.press(scene.window(), s.x, s.y);
            if (s.kind == Step::Release) windows.release(scene.window(), s.x, s.y);
            if (s.kind == Step::Wheel) windows.wheel(scene.window(), r.left + s.x, r.top + s.y, 120);
        }
        scene.frame().invalid();
        windows.paint(scene.window());
        expectedLog = scene.log;
        expectedPixels = colourPixels(windows.surface(scene.window()));
    }
    ASSERT_EQ(expectedLog, (CallLog{"one.down(80,60,2,0)", "one.moved(200,160,2,0)", "one.up(200,160,0,0)",
                                    "two.down(400,266,2,0)", "two.up(400,266,0,0)", "two.wheel(400,266,1)"}));

    platform::X11Windows x11(server.name().c_str());
    ASSERT_TRUE(x11.isConnected());
    platform::WindowSystem* previous = platform::setWindowSystem(&x11);
    {
        Scene scene(x11);
        x11.sync();
        Display* d = toolkit_test::openXTestDisplay(server.name().c_str());
        ASSERT_NE(d, nullptr) << "no connection to the server, or no XTest";
        platform::WindowRect r;
        x11.windowRect(scene.window(), r);
        for (const Step& s : kSteps) {
            if (s.kind == Step::Move) XTestFakeMotionEvent(d, -1, r.left + s.x, r.top + s.y, 0);
            if (s.kind == Step::Press) XTestFakeButtonEvent(d, 1, True, 0);
            if (s.kind == Step::Release) XTestFakeButtonEvent(d, 1, False, 0);
            if (s.kind == Step::Wheel) {
                XTestFakeButtonEvent(d, 4, True, 0);
                XTestFakeButtonEvent(d, 4, False, 0);
            }
            XSync(d, False);
            x11.sync();
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (scene.log.size() < expectedLog.size() && std::chrono::steady_clock::now() < deadline) x11.pump(20);
        EXPECT_EQ(scene.log, expectedLog);

        scene.frame().invalid();
        x11.pump(0);
        x11.sync();
        const platform::WindowSurface s = x11.surface(scene.window());
        const std::vector<uint32_t> held = serverPixels(d, x11.nativeWindow(scene.window()), s.width, s.height);
        ASSERT_FALSE(held.empty());
        EXPECT_EQ(s.width, 720);
        EXPECT_EQ(held, colourPixels(s)) << "the server holds what the window's surface holds";
        EXPECT_EQ(held, expectedPixels) << "and that is what the in-process back-end drew";

        scene.log.clear();
        dropFiles(d, x11.nativeWindow(scene.host), "# comment\r\nfile:///tmp/a%20b.wav\r\nfile://host/c.bwp\r\n", x11,
                  scene.log);
        // The pointer is over the second view.
        EXPECT_EQ(scene.log, (CallLog{"two.drop(0)/tmp/a b.wav", "two.drop(0)/c.bwp"}));
        XCloseDisplay(d);
    }
    platform::setWindowSystem(previous);
}

}  // namespace
}  // namespace toolkit_test
