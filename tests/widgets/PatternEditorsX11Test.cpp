// A paint drag on a step table and clicks on a button line in a real X
// window: under an Xvfb server of the test's own, a zoomed editor's frame
// takes the drag through XTest and must leave the same model values, and the
// server the same pixels, as the in-process window back-end.

#include <gtest/gtest.h>

#include <chrono>

#include "PatternScene.h"
#include "platform/X11Windows.h"
#include "support/WindowPixels.h"
#include "support/XvfbServer.h"
#include "widgets/BWBtnLineView.h"
#include "widgets/BWTableView.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace widget_test {
namespace {

using toolkit_test::colourPixels;
using toolkit_test::HostEffect;
using toolkit_test::serverPixels;
using toolkit_test::TestEditor;
using toolkit_test::XvfbServer;

// An editor at zoom 1.5 with a 16-step table (28 px steps, 100 px of values)
// and a 16-step button line below it, on a fresh instance's models.
struct Editors {
    explicit Editors(platform::WindowSystem& windows) {
        editor = new TestEditor(&effect, 480, 200);
        editor->zoom(1.5f, true);
        host = windows.createWindow(0, 800, 600, nullptr);
        editor->open(toolkit_test::handleOf(host));
        BWFrame& f = frame();
        f.setBackgroundColor(CColor{30, 40, 50, 255});
        BWTableXY& lane = instance->patterns().cutoffLane(0);
        lane.resize(16, BWTable::kResizeFresh);
        lane.setRange(0.0f, 1.0f);
        lane.defaultValue = 0.0f;
        lane.reset();
        lane.setFlags(BWTableView::kEditable);
        auto* table = new BWTableView(CRect(20, 20, 468, 120), nullptr, 383, &f, 1);
        f.addView(table);
        table->setTable(&lane);
        table->barColour = CColor{64, 104, 62, 255};
        table->backgroundColour = CColor{36, 36, 36, 255};
        BWBtnLine& grid = instance->patterns().stepLine(1);
        grid.resize(16, 2);
        grid.maxValue = 3.0f;
        auto* steps = new BWBtnLineView(CRect(20, 140, 468, 161), &listener, 373, &f);
        f.addView(steps);
        steps->model = &grid;
        steps->notify = true;
        strip = numberedStrip(28, 21, 3);
        steps->setStepBitmap(strip);
    }
    ~Editors() { strip->forget(); }  // the effect closes and deletes its editor
    Editors(const Editors&) = delete;
    Editors& operator=(const Editors&) = delete;
    BWFrame& frame() { return *editor->bwFrame(); }
    platform::WindowId window() { return frame().getWindow(); }
    std::vector<float> values() {
        std::vector<float> all = valuesOf(instance->patterns().cutoffLane(0));
        for (const float step : stepsOf(instance->patterns().stepLine(1))) all.push_back(step);
        return all;
    }

    std::unique_ptr<BWUniClient> instance = makeInstance();
    CallLog log;
    RecordingListener listener{log};
    HostEffect effect;
    TestEditor* editor;
    platform::WindowId host = 0;
    CBitmap* strip;
};

struct Step {
    enum Kind { Move, Press, Release } kind;
    int32_t x, y;  // window pixels
};
const Step kSteps[] = {
    {Step::Move, 135, 105}, {Step::Press, 135, 105}, {Step::Move, 261, 60},    {Step::Move, 429, 150},
    {Step::Release, 429, 150}, {Step::Move, 177, 225}, {Step::Press, 177, 225}, {Step::Release, 177, 225},
    {Step::Press, 177, 225}, {Step::Move, 303, 225},  {Step::Release, 303, 225}};

TEST(PatternEditorsX11, APaintDragGivesTheSameModelsAndPixelsAsInProcess) {
    if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    UserFoldersSandbox sandbox;
    XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";

    std::vector<float> expectedValues;
    std::vector<uint32_t> expectedPixels;
    CallLog expectedLog;
    {
        toolkit_test::ScopedWindows windows(1280, 1024);
        Editors editors(windows);
        for (const Step& s : kSteps) {
            if (s.kind == Step::Move) windows.move(editors.window(), s.x, s.y);
            if (s.kind == Step::Press) windows.press(editors.window(), s.x, s.y);
            if (s.kind == Step::Release) windows.release(editors.window(), s.x, s.y);
        }
        editors.frame().invalid();
        windows.paint(editors.window());
        expectedValues = editors.values();
        expectedPixels = colourPixels(windows.surface(editors.window()));
        expectedLog = editors.log;
    }
    // The press at step 2 (design 90, 70) is painted over by the move to step
    // 5 at 80 of 100 px; the move to step 9 at 20 px paints 5 to 9.  On the
    // button line a click counts step 3 up, and the drag from it paints 4 to 6.
    std::vector<float> worked(32, 0.0f);
    worked[2] = worked[3] = worked[4] = 0.8f;
    for (int s = 5; s <= 9; ++s) worked[s] = 0.2f;
    for (int s = 3; s <= 6; ++s) worked[16 + s] = 1.0f;
    ASSERT_EQ(expectedValues, worked);
    ASSERT_EQ(expectedLog.size(), 2u);

    platform::X11Windows x11(server.name().c_str());
    ASSERT_TRUE(x11.isConnected());
    platform::WindowSystem* previous = platform::setWindowSystem(&x11);
    {
        Editors editors(x11);
        x11.sync();
        Display* d = toolkit_test::openXTestDisplay(server.name().c_str());
        ASSERT_NE(d, nullptr) << "no connection to the server, or no XTest";
        platform::WindowRect r;
        x11.windowRect(editors.window(), r);
        for (const Step& s : kSteps) {
            if (s.kind == Step::Move) XTestFakeMotionEvent(d, -1, r.left + s.x, r.top + s.y, 0);
            if (s.kind != Step::Move) XTestFakeButtonEvent(d, 1, s.kind == Step::Press, 0);
            XSync(d, False);
            x11.sync();
            x11.pump(0);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (editors.log.size() < expectedLog.size() && std::chrono::steady_clock::now() < deadline) x11.pump(20);
        EXPECT_EQ(editors.values(), expectedValues);
        EXPECT_EQ(editors.log, expectedLog);

        editors.frame().invalid();
        x11.pump(0);
        x11.sync();
        const platform::WindowSurface s = x11.surface(editors.window());
        const std::vector<uint32_t> held = serverPixels(d, x11.nativeWindow(editors.window()), s.width, s.height);
        ASSERT_FALSE(held.empty());
        EXPECT_EQ(s.width, 720);
        EXPECT_EQ(held, colourPixels(s)) << "the server holds what the window's surface holds";
        EXPECT_EQ(held, expectedPixels) << "and that is what the in-process back-end drew";
        XCloseDisplay(d);
    }
    platform::setWindowSystem(previous);
}

}  // namespace
}  // namespace widget_test
