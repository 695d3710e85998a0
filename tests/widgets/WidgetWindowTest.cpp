// Widgets in an editor's window, driven like a user drives them: one script
// of moves, presses (with Control, double clicks, the right button), drags,
// releases and wheel notches, through the in-process window back-end at zoom
// 1.0 and 1.5 and, under an Xvfb server of the test's own, through the X11
// back-end with XTest.  The listener log and the final values must equal a
// hand-worked table, every edit begun must end, and both back-ends must hold
// the same pixels.  The tempo field, the manual link and the settings path
// view stand beside them; the link's opening joins the log.  A bound float changed from outside changes the pixels at
// the next frame idle without any report.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "RecordingMenu.h"
#include "WidgetScene.h"
#include "guitoolkit/PictureFontWidths.h"
#include "platform/X11Windows.h"
#include "support/TempDir.h"
#include "support/WindowPixels.h"
#include "support/XvfbServer.h"
#include "core/BWSystemInfo.h"
#include "persistence/Settings.h"
#include "platform/ShellOpen.h"
#include "widgets/BWBPMControl.h"
#include "widgets/BWButton.h"
#include "widgets/BWDisplay.h"
#include "widgets/BWKnob.h"
#include "widgets/BWLocalLink.h"
#include "widgets/BWMouseArea.h"
#include "widgets/BWRegPathVisualizer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace widget_test {
namespace {

using toolkit_test::HostEffect;
using toolkit_test::TestEditor;
using toolkit_test::colourPixels;
using toolkit_test::serverPixels;

// An editor of 480 x 320 with a knob, a button, a display, an absolute knob
// and a mouse area on its frame.
struct EditorScene {
    EditorScene(platform::WindowSystem& windows, float zoom) {
        editor = new TestEditor(&effect, 480, 320);
        if (zoom != 1.0f) editor->zoom(zoom, true);
        host = windows.createWindow(0, 800, 600, nullptr);
        editor->open(toolkit_test::handleOf(host));
        BWFrame* f = editor->bwFrame();
        f->setBackgroundColor(CColor{30, 32, 36, 255});
        knobStrip = new CBitmap(CResourceDescription(1063));
        knob = new BWKnob(CRect(20, 20, 51, 51), &listener, 10, f, knobStrip, 31, 128, 1.0f);
        knob->boundValue = &knobValue;
        knob->setDefaultValue(0.3f);
        knob->setExtraPointer(static_cast<BWOptionMenuBase*>(&menu));
        f->addView(knob);
        button = new BWButton(CRect(100, 20, 189, 37), &listener, 11, f, nullptr, 0, 1);
        button->setBackground(buttonStrip = new CBitmap(CResourceDescription(1020)));
        button->stateCount = 3;
        f->addView(button);
        glyphs = new CBitmap(CResourceDescription(1071));
        font.setPicture(glyphs);
        font.setGlyphHeight(11);
        font.setWidths(kPictureFontWidthsA, kPictureFontTableSize);
        display = new BWDisplay(CRect(20, 100, 72, 115), &listener, 12, f);
        display->pictureFont = &font;
        display->textAlign = 1;
        display->noBox = true;
        f->addView(display);
        absolute = new BWKnob(CRect(100, 100, 167, 115), &listener, 13, f,
                              absoluteStrip = new CBitmap(CResourceDescription(1115)), 15, 5, 1.0f);
        absolute->positionMode = BWKnob::kAbsolute;
        absolute->dragAxis = VSTGUI::BWKnob::kDragHorizontal;
        f->addView(absolute);
        area = new BWMouseArea(CRect(200, 20, 300, 70), &listener, 14, f);
        f->addView(area);
        info.setTempo(98.5);
        tempo = new BWBPMControl(&info, CRect(20, 140, 72, 155), 200, f, nullptr);
        tempo->setBackground(displayBack = new CBitmap(CResourceDescription(1031)));
        tempo->pictureFont = &font;
        tempo->alignment = 1;
        tempo->setMouseEnabled(false);
        f->addView(tempo);
        linkStrip = new CBitmap(CResourceDescription(1065));
        std::filesystem::create_directories(install / "Manual");
        std::ofstream(install / "Manual" / "Manual.htm") << "<html></html>";
        setSettingString("installpath", install.str());
        link = new BWLocalLink(CRect(340, 20, 409, 89), &listener, 369, f, nullptr, false);
        link->ownBitmap = linkStrip;
        link->useOwnBitmap = true;
        f->addView(link);
        setSettingString("librarypath", "/music/samples/drums");
        path = new BWRegPathVisualizer(CRect(100, 140, 172, 159), &listener, 367, f, "librarypath");
        path->pictureFont = &font;
        f->addView(path);
        platform::setShellOpenHandler([this](const std::string& opened) {
            log.push_back("open(" + std::filesystem::path(opened).lexically_relative(install.path()).string() + ")");
            return true;
        });
        windows.setFocus(window());
        f->idle();  // the knob takes its bound value
    }
    ~EditorScene() {
        platform::setShellOpenHandler({});
        editor->close();  // the effect deletes the editor
        for (CBitmap* b : {knobStrip, buttonStrip, glyphs, absoluteStrip, displayBack, linkStrip}) b->forget();
    }
    EditorScene(const EditorScene&) = delete;
    EditorScene& operator=(const EditorScene&) = delete;

    BWFrame& frame() { return *editor->bwFrame(); }
    platform::WindowId window() { return frame().getWindow(); }
    std::vector<float> values() const {
        return {knob->getValue(), button->getValue(), display->getValue(), absolute->getValue(), area->x, area->y};
    }

    TempDir install;  // "installpath", with the manual
    CallLog log;
    RecordingListener listener{log};
    RecordingMenu menu{log};
    HostEffect effect;
    TestEditor* editor = nullptr;
    platform::WindowId host = 0;
    float knobValue = 0.5f;
    BWPictureFont font;
    BWSystemInfo info{8, nullptr, nullptr, nullptr};
    CBitmap *knobStrip, *buttonStrip, *glyphs, *absoluteStrip, *displayBack, *linkStrip;
    BWKnob* knob;
    BWButton* button;
    BWDisplay* display;
    BWKnob* absolute;
    BWMouseArea* area;
    BWBPMControl* tempo;
    BWLocalLink* link;
    BWRegPathVisualizer* path;
};

struct Step {
    enum Kind { Move, Press, Release, Wheel, ControlDown, ControlUp } kind;
    int32_t x = 0, y = 0;  // design pixels
    bool right = false;
};

// The script, in the interface's own pixels.
const std::vector<Step> kScript = {
    {Step::Move, 36, 36},         {Step::Press, 36, 36},         {Step::Move, 36, 16},     // knob: 20 px up
    {Step::Release, 36, 16},      {Step::Move, 26, 30},          {Step::ControlDown},      // Control-click resets
    {Step::Press, 26, 30},        {Step::Release, 26, 30},       {Step::ControlUp},
    {Step::Move, 44, 44},         {Step::Press, 44, 44},         {Step::Release, 44, 44},  // double click resets
    {Step::Press, 44, 44},        {Step::Release, 44, 44},       {Step::Move, 36, 36},
    {Step::Wheel, 36, 36},                                                                 // one notch up
    {Step::Move, 30, 46},         {Step::Press, 30, 46, true},   {Step::Release, 30, 46, true},  // learn menu
    {Step::Move, 150, 28},        {Step::Press, 150, 28, true},  {Step::Release, 150, 28, true},  // right: nothing
    {Step::Move, 120, 28},        {Step::Press, 120, 28},        {Step::Release, 120, 28},  // two steps
    {Step::Move, 160, 30},        {Step::Press, 160, 30},        {Step::Release, 160, 30},
    {Step::Move, 40, 107},        {Step::Press, 40, 107},        {Step::Move, 40, 87},     // display drag
    {Step::Release, 40, 87},      {Step::Move, 133, 107},        {Step::Press, 133, 107},  // absolute knob
    {Step::Move, 180, 107},       {Step::Release, 180, 107},     {Step::Move, 250, 45},
    {Step::Press, 250, 45},       {Step::Move, 320, 45},         {Step::Release, 320, 45},  // mouse area
    {Step::Move, 40, 147},        {Step::Press, 40, 147},        {Step::Release, 40, 147},  // tempo: no press
    {Step::Move, 370, 50},        {Step::Press, 370, 50},        {Step::Release, 370, 50},  // manual link
    {Step::Press, 370, 50},       {Step::Move, 450, 200},        {Step::Release, 450, 200},  // let go outside
};

const CallLog kExpectedLog = {
    "beginEdit(10)", "valueChanged(10,0.7)", "endEdit(10)",                          // drag
    "modifierClicked(10,34)",                                                        // offered first
    "beginEdit(10)", "valueChanged(10,0.3)", "endEdit(10)",                          // Control-click
    "beginEdit(10)", "endEdit(10)",                                                  // first click
    "beginEdit(10)", "valueChanged(10,0.3)", "endEdit(10)",                          // double click
    "beginEdit(10)", "valueChanged(10,0.3175)", "endEdit(10)",                       // wheel
    "modifierClicked(10,8)", "menu.int1(10)", "menu.int2(0)", "menu.popup(2,30,46,10,20,20,51,51,true)",      // right click
    "modifierClicked(11,8)",                                                         // right: nothing
    "beginEdit(11)", "valueChanged(11,1)", "endEdit(11)",                            // button
    "beginEdit(11)", "valueChanged(11,2)", "endEdit(11)",                            //
    "valueChanged(12,0.2)",                                                          // display
    "beginEdit(13)", "valueChanged(13,0.492537)", "valueChanged(13,1)", "endEdit(13)",  // absolute
    "beginEdit(14)", "valueChanged(14,0.5)", "valueChanged(14,1)", "valueChanged(14,1)", "endEdit(14)",
    "open(Manual/Manual.htm)",                                                       // link, once
};

// The state the script leaves: knob 0.3175, button 2, display 0.2, absolute
// 1.0, mouse area x clamped to 1.0 and y 0.5.
const std::vector<float> kExpectedValues = {0.3175f, 2.0f, 0.2f, 1.0f, 1.0f, 0.5f};

int32_t toWindow(int32_t design, float zoom) { return static_cast<int32_t>(std::ceil(design * zoom)); }

void runInProcess(ScopedWindows& windows, EditorScene& scene, float zoom) {
    platform::WindowRect r;
    windows.windowRect(scene.window(), r);
    uint32_t keys = 0;
    for (const Step& s : kScript) {
        const int32_t x = toWindow(s.x, zoom), y = toWindow(s.y, zoom);
        const auto button = s.right ? platform::MouseButtonId::Right : platform::MouseButtonId::Left;
        switch (s.kind) {
            case Step::Move: windows.move(scene.window(), x, y, keys); break;
            case Step::Press: windows.press(scene.window(), x, y, button, keys); break;
            case Step::Release: windows.release(scene.window(), x, y, button, keys); break;
            case Step::Wheel: windows.wheel(scene.window(), r.left + x, r.top + y, 120, keys); break;
            case Step::ControlDown:
            case Step::ControlUp:
                keys = s.kind == Step::ControlDown ? uint32_t{platform::kStateControl} : 0u;
                windows.key(scene.window(), platform::WindowKey::Other, 0, keys, s.kind == Step::ControlDown);
                break;
        }
    }
}

void expectEditsClosed(const CallLog& log) {
    int32_t open = 0;
    for (const std::string& entry : log) {
        if (entry.rfind("beginEdit", 0) == 0) ++open;
        if (entry.rfind("endEdit", 0) == 0) --open;
        EXPECT_GE(open, 0);
        EXPECT_LE(open, 1);
    }
    EXPECT_EQ(open, 0) << "every beginEdit has its endEdit";
}

TEST(WidgetWindow, ScriptedEditsGiveTheHandWorkedLogAtEveryZoom) {
    for (float zoom : {1.0f, 1.5f}) {
        SettingsSandbox settings;
        ScopedWindows windows(1280, 1024);
        EditorScene scene(windows, zoom);
        runInProcess(windows, scene, zoom);
        EXPECT_EQ(scene.log, kExpectedLog) << "zoom " << zoom;
        expectEditsClosed(scene.log);
        const std::vector<float> values = scene.values();
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_NEAR(values[i], kExpectedValues[i], 1e-6) << "value " << i << " at zoom " << zoom;
    }
}

// Automation moves the knob: the window shows it after the next idle, and
// the listener hears nothing.
TEST(WidgetWindow, ValuesFromOutsideChangeThePixelsWithoutEcho) {
    SettingsSandbox settings;
    ScopedWindows windows(1280, 1024);
    EditorScene scene(windows, 1.0f);
    scene.frame().idle();
    scene.frame().invalid();
    windows.paint(scene.window());
    const std::vector<uint32_t> before = colourPixels(windows.surface(scene.window()));
    scene.knobValue = 0.95f;
    scene.frame().idle();
    EXPECT_FALSE(windows.pendingUpdate(scene.window()).isEmpty()) << "the idle asked for a repaint";
    windows.paint(scene.window());
    const platform::WindowSurface after = windows.surface(scene.window());
    int32_t changed = 0, outside = 0;
    for (int32_t y = 0; y < after.height; ++y)
        for (int32_t x = 0; x < after.width; ++x) {
            if ((after.pixels[y * after.width + x] & 0xffffff) == before[y * after.width + x]) continue;
            ++changed;
            if (!CRect(20, 20, 51, 51).pointInside(CPoint(x, y))) ++outside;
        }
    EXPECT_GT(changed, 20);
    EXPECT_EQ(outside, 0);
    EXPECT_TRUE(scene.log.empty());
    EXPECT_FLOAT_EQ(scene.knob->getValue(), 0.95f);
}

TEST(WidgetWindow, TheX11BackEndGivesTheSameLogAndPixels) {
    if (!toolkit_test::XvfbServer::installed())
        GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    SettingsSandbox settings;
    toolkit_test::XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    const float zoom = 1.5f;

    std::vector<uint32_t> expectedPixels;
    {
        ScopedWindows windows(1280, 1024);
        EditorScene scene(windows, zoom);
        runInProcess(windows, scene, zoom);
        scene.frame().idle();
        scene.frame().invalid();
        windows.paint(scene.window());
        expectedPixels = colourPixels(windows.surface(scene.window()));
    }

    platform::X11Windows x11(server.name().c_str());
    ASSERT_TRUE(x11.isConnected());
    platform::WindowSystem* previous = platform::setWindowSystem(&x11);
    {
        EditorScene scene(x11, zoom);
        x11.sync();
        Display* d = toolkit_test::openXTestDisplay(server.name().c_str());
        ASSERT_NE(d, nullptr) << "no connection to the server, or no XTest";
        platform::WindowRect r;
        x11.windowRect(scene.window(), r);
        const KeyCode control = XKeysymToKeycode(d, XK_Control_L);
        for (const Step& s : kScript) {
            const unsigned button = s.right ? 3 : 1;
            switch (s.kind) {
                case Step::Move:
                    XTestFakeMotionEvent(d, -1, r.left + toWindow(s.x, zoom), r.top + toWindow(s.y, zoom), 0);
                    break;
                case Step::Press: XTestFakeButtonEvent(d, button, True, 0); break;
                case Step::Release: XTestFakeButtonEvent(d, button, False, 0); break;
                case Step::Wheel:
                    XTestFakeButtonEvent(d, 4, True, 0);
                    XTestFakeButtonEvent(d, 4, False, 0);
                    break;
                case Step::ControlDown: XTestFakeKeyEvent(d, control, True, 0); break;
                case Step::ControlUp: XTestFakeKeyEvent(d, control, False, 0); break;
            }
            XSync(d, False);
            x11.sync();
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (scene.log.size() < kExpectedLog.size() && std::chrono::steady_clock::now() < deadline) x11.pump(20);
        EXPECT_EQ(scene.log, kExpectedLog);

        scene.frame().idle();
        scene.frame().invalid();
        x11.pump(0);
        x11.sync();
        const platform::WindowSurface s = x11.surface(scene.window());
        const std::vector<uint32_t> held = serverPixels(d, x11.nativeWindow(scene.window()), s.width, s.height);
        ASSERT_FALSE(held.empty());
        EXPECT_EQ(held, expectedPixels) << "the server holds what the in-process back-end drew";
        XCloseDisplay(d);
    }
    platform::setWindowSystem(previous);
}

}  // namespace
}  // namespace widget_test
