// The menu session in a real X window: under an Xvfb server of the test's
// own, the same clicks, moves and idle ticks sent through XTest must give the
// same listener log, and the server must hold the same pixels at every
// snapshot (an open list with its sub-menu, the learn menu, the closed
// frame), as the in-process back-end.

#include <gtest/gtest.h>

#include <chrono>

#include "MenuSession.h"
#include "platform/X11Windows.h"
#include "support/XvfbServer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace widget_test {
namespace {

using Snapshots = std::vector<std::vector<uint32_t>>;

TEST(OptionMenuX11, SameLogAndPixelsAsInProcess) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs xvfb)";
    SettingsSandbox settings;
    toolkit_test::XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";

    CallLog expectedLog;
    Snapshots expected;
    {
        toolkit_test::ScopedWindows windows(1280, 1024);
        MenuSession session;
        expected = playInProcess(windows, session);
        expectedLog = session.log;
    }
    ASSERT_EQ(expectedLog, kMenuSessionLog);

    platform::X11Windows x11(server.name().c_str());
    ASSERT_TRUE(x11.isConnected());
    platform::WindowSystem* previous = platform::setWindowSystem(&x11);
    {
        MenuSession session;
        x11.sync();
        Display* d = toolkit_test::openXTestDisplay(server.name().c_str());
        ASSERT_NE(d, nullptr) << "no connection to the server, or no XTest";
        platform::WindowRect r;
        x11.windowRect(session.window(), r);
        Snapshots held;
        auto settle = [&] {
            XSync(d, False);
            x11.sync();
            x11.pump(0);
        };
        for (const SessionStep& s : kMenuSession) {
            switch (s.kind) {
                case SessionStep::Move: XTestFakeMotionEvent(d, -1, r.left + s.x, r.top + s.y, 0); break;
                case SessionStep::Press: XTestFakeButtonEvent(d, 1, True, 0); break;
                case SessionStep::Release: XTestFakeButtonEvent(d, 1, False, 0); break;
                case SessionStep::RightPress: XTestFakeButtonEvent(d, 3, True, 0); break;
                case SessionStep::RightRelease: XTestFakeButtonEvent(d, 3, False, 0); break;
                case SessionStep::Idle: break;
                case SessionStep::Snapshot: break;
            }
            settle();
            if (s.kind == SessionStep::Idle) session.frame->idle();
            if (s.kind != SessionStep::Snapshot) continue;
            session.frame->idle();
            session.frame->invalid();
            x11.pump(0);
            x11.sync();
            const platform::WindowSurface surface = x11.surface(session.window());
            std::vector<uint32_t> pixels =
                toolkit_test::serverPixels(d, x11.nativeWindow(session.window()), surface.width, surface.height);
            ASSERT_FALSE(pixels.empty());
            EXPECT_EQ(pixels, colourPixels(surface)) << "the server holds the window's surface";
            held.push_back(std::move(pixels));
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (session.log.size() < expectedLog.size() && std::chrono::steady_clock::now() < deadline) x11.pump(20);
        EXPECT_EQ(session.log, expectedLog);
        ASSERT_EQ(held.size(), expected.size());
        for (size_t i = 0; i < held.size(); ++i) EXPECT_TRUE(held[i] == expected[i]) << "snapshot " << i;
        XCloseDisplay(d);
    }
    platform::setWindowSystem(previous);
}

}  // namespace
}  // namespace widget_test
