// The editor's window zoom: base factors from the screen, the settings that
// remember the zoom, the steps and labels, refusals, the paced idle, and the
// three blits measured pixel by pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "support/WindowDoubles.h"
#include "persistence/Settings.h"

namespace toolkit_test {
namespace {

using VSTGUI::CRect;
using VSTGUI::EditorZoom;

TEST(EditorZoom, BaseFactorAndSettingNameFromTheScreen) {
    struct Case {
        int32_t width, height;
        bool dpiAware;
        float base;
        const char* name;
    } cases[] = {
        {1920, 1080, true, 1.0f, "resizefactor1"},  {3840, 2160, true, 2.0f, "resizefactor2"},
        {2560, 1440, true, 1.0f, "resizefactor1"},  {3840, 1200, true, 1.0f, "resizefactor1"},
        {3840, 2160, false, 1.0f, "resizefactor1"}, {900, 700, true, 0.5f, "resizefactor0"},
        {400, 300, true, 0.25f, "resizefactor0"},
    };
    for (const Case& c : cases) {
        SettingsSandbox settings;
        ScopedWindows windows(c.width, c.height);
        windows.setScreen({c.width, c.height, c.dpiAware});
        EditorZoom zoom;
        zoom.setup(960, 697);
        EXPECT_EQ(zoom.baseFactor, c.base) << c.width << "x" << c.height;
        EXPECT_EQ(zoom.settingName(), c.name);
        EXPECT_EQ(getSettingDword(c.name), static_cast<uint32_t>(c.base * 100)) << "the total percentage is stored";
    }
}

TEST(EditorZoom, StepsLabelsSizesAndModes) {
    SettingsSandbox settings;
    ScopedWindows windows;
    EditorZoom zoom;
    zoom.setup(960, 697);
    const char* labels[] = {"90 %",  "100 %", "110 %", "120 %", "130 %", "140 %",
                            "150 %", "160 %", "170 %", "180 %", "190 %", "200 %"};
    ASSERT_EQ(zoom.steps.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        zoom.apply(zoom.steps[i]);
        EXPECT_EQ(zoom.labels[i], labels[i]);
        EXPECT_EQ(zoom.label, labels[i]);
        EXPECT_EQ(zoom.mode, i == 1 ? 0 : i == 11 ? 1 : 2) << labels[i];
    }
    zoom.apply(1.5f);
    EXPECT_EQ(zoom.zoomedWidth, 1440);
    EXPECT_EQ(zoom.zoomedHeight, 1045);
    EXPECT_EQ(zoom.label, "150 %");
    EXPECT_EQ(getSettingDword("resizefactor1"), 150u);
}

TEST(EditorZoom, StoredZoomIsTakenOnlyWithForceresize) {
    for (bool force : {false, true}) {
        SettingsSandbox settings;
        ScopedWindows windows(3840, 2160);
        setSettingDword("resizefactor2", 240);
        if (force) setSettingDword("forceresize", 1);
        EditorZoom zoom;
        zoom.setup(960, 697);
        EXPECT_EQ(zoom.totalFactor, force ? 2.4f : 2.0f);
        EXPECT_EQ(getSettingDword("resizefactor2"), force ? 240u : 200u);
    }
    SettingsSandbox settings;
    ScopedWindows windows(3840, 2160);
    setSettingDword("noresize", 1);
    EditorZoom zoom;
    zoom.setup(960, 697);
    EXPECT_EQ(zoom.baseFactor, 1.0f);
    EXPECT_EQ(zoom.zoomedWidth, 960);
}

TEST(EditorZoom, EditorZoomRefusesAWindowLargerThanTheScreenUnlessForced) {
    SettingsSandbox settings;
    ScopedWindows windows(1920, 1080);
    HostEffect effect;
    effect.can = {"sizeWindow"};
    auto* editor = new TestEditor(&effect);
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    editor->zoom(2.0f, false);
    EXPECT_EQ(editor->getZoomFactor(), 1.0f);
    EXPECT_TRUE(effect.sizes.empty());
    editor->zoom(2.0f, true);
    EXPECT_EQ(editor->getZoomFactor(), 2.0f);
    EXPECT_EQ(rect->right, 1920);
    EXPECT_EQ(rect->bottom, 1394);
    effect.sizeAnswer = false;  // a host that refuses falls back to 1.0
    editor->zoom(1.2f, false);
    EXPECT_EQ(editor->getZoomFactor(), 1.0f);
    EXPECT_EQ(rect->right, 960);

    // A host that cannot resize: the editor resizes the host's window with its border.
    effect.can.clear();
    const platform::WindowId host = windows.createWindow(0, 960 + 8, 697 + 30, nullptr);
    editor->open(handleOf(host));
    editor->zoom(1.5f, false);
    platform::WindowRect r;
    windows.windowRect(host, r);
    EXPECT_EQ(r.width(), 1440 + 8);
    EXPECT_EQ(r.height(), 1045 + 30);
}

TEST(EditorZoom, IdleIsPacedToOnePassPer100msWithoutRealWaits) {
    SettingsSandbox settings;
    ScopedWindows windows;
    HostEffect effect;
    auto* editor = new TestEditor(&effect);
    const platform::WindowId host = windows.createWindow(0, 960, 697, nullptr);
    editor->open(handleOf(host));
    editor->bwFrame()->invalidRect(CRect(0, 0, 4, 4));
    // Calls every 10 ms of the virtual clock; each early call "sleeps" 4 ms
    // of it, and a call within 54 ms of the due time runs the idle.
    for (int i = 0; i < 100; ++i) {
        editor->getFrame()->doIdleStuff();
        windows.advance(10);
    }
    ASSERT_GE(editor->idles, 20);
    for (size_t i = 1; i < editor->idleTimes.size(); ++i) {
        EXPECT_GE(editor->idleTimes[i] - editor->idleTimes[i - 1], 46u);
        EXPECT_LE(editor->idleTimes[i] - editor->idleTimes[i - 1], 60u);
    }
    EXPECT_EQ(effect.masterIdles, editor->idles);
    EXPECT_TRUE(windows.pendingUpdate(editor->bwFrame()->getWindow()).isEmpty()) << "the pending paint ran";
}

// --- blits ------------------------------------------------------------------------------

struct Buffers {
    Buffers(int32_t w, int32_t h, int32_t zw, int32_t zh) : width(w), height(h), source(w * h), target(zw * zh) {
        std::mt19937 random(7);
        for (uint32_t& p : source) p = random();
        surface = {target.data(), zw, zh};
    }
    int32_t width, height;
    std::vector<uint32_t> source, target;
    platform::WindowSurface surface;
};

uint32_t referenceBilinear(const Buffers& b, const EditorZoom& zoom, int32_t x, int32_t y) {
    // The step from one window pixel to the next in source pixels, times the
    // position: the rounding the interface's pictures were first made with.
    const double fx = x * (double(zoom.designWidth) / zoom.zoomedWidth);
    const double fy = y * (double(zoom.designHeight) / zoom.zoomedHeight);
    const int32_t ix = std::min(int32_t(fx), b.width - 2), iy = std::min(int32_t(fy), b.height - 2);
    const int32_t wx = int32_t((fx - int32_t(fx)) * 256), wy = int32_t((fy - int32_t(fy)) * 256);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        auto c = [&](int32_t px, int32_t py) { return int32_t((b.source[py * b.width + px] >> shift) & 255); };
        const int32_t sum = c(ix, iy) * (((256 - wx) * (256 - wy)) >> 8) + c(ix + 1, iy) * ((wx * (256 - wy)) >> 8) +
                            c(ix, iy + 1) * (((256 - wx) * wy) >> 8) + c(ix + 1, iy + 1) * ((wx * wy) >> 8);
        out |= uint32_t(std::min(sum >> 8, 255)) << shift;
    }
    return out;
}

TEST(EditorZoom, BlitsMatchAReferencePixelByPixelInsideTheRectangleOnly) {
    SettingsSandbox settings;
    ScopedWindows windows(4000, 3000);
    windows.setScreen({4000, 3000, false});
    const CRect rect(7, 5, 61, 43);
    for (float factor : {1.0f, 2.0f, 3.0f, 1.5f, 1.3f}) {
        EditorZoom zoom;
        zoom.setup(64, 48);
        zoom.apply(factor);
        Buffers b(64, 48, zoom.zoomedWidth, zoom.zoomedHeight);
        zoom.blit(b.source.data(), b.width, b.width, b.height, b.surface, rect);
        const CRect written = zoom.mode == 1 ? EditorZoom::integerBlitRect(rect, int32_t(factor)) : rect;
        const auto k = int32_t(factor);
        int32_t mismatches = 0;
        for (int32_t y = 0; y < zoom.zoomedHeight; ++y)
            for (int32_t x = 0; x < zoom.zoomedWidth; ++x) {
                uint32_t expected = 0;
                if (written.left <= x && x < written.right && written.top <= y && y < written.bottom)
                    expected = zoom.mode == 0   ? b.source[y * 64 + x]
                               : zoom.mode == 1 ? b.source[(y / k) * 64 + x / k]
                                                : referenceBilinear(b, zoom, x, y);
                mismatches += b.target[y * zoom.zoomedWidth + x] != expected;
            }
        EXPECT_EQ(mismatches, 0) << factor;
    }
    EXPECT_EQ(EditorZoom::integerBlitRect(rect, 2), CRect(6, 4, 62, 44));
    EXPECT_EQ(EditorZoom::integerBlitRect(rect, 3), CRect(6, 3, 63, 45));
}

// The interface's own size at every step, one zoom object going from step to
// step (its column and row tables must follow), over random pixels, a white
// buffer (every weight's sum at its largest) and a back buffer narrower and
// lower than the design (the last column and row mix with the ones before).
// Whole rows and columns are compared, which between them meet every column
// and row of the tables.
TEST(EditorZoom, BilinearBlitOfTheWholeWindowMatchesTheReferenceAtEveryStep) {
    SettingsSandbox settings;
    ScopedWindows windows(4000, 3000);
    windows.setScreen({4000, 3000, false});
    struct Source {
        int32_t width, height;
        bool white;
    };
    for (const Source source : {Source{960, 697, false}, Source{960, 697, true}, Source{901, 650, false}}) {
        EditorZoom zoom;
        zoom.setup(960, 697);
        Buffers b(source.width, source.height, 1, 1);
        if (source.white) std::fill(b.source.begin(), b.source.end(), 0xFFFFFFFFu);
        for (float step : zoom.steps) {
            zoom.apply(step);
            if (zoom.mode != 2) continue;
            b.target.assign(size_t(zoom.zoomedWidth) * zoom.zoomedHeight, 0);
            b.surface = {b.target.data(), zoom.zoomedWidth, zoom.zoomedHeight};
            zoom.blit(b.source.data(), b.width, b.width, b.height, b.surface, CRect(0, 0, 4000, 3000));
            const int32_t zw = zoom.zoomedWidth, zh = zoom.zoomedHeight;
            int32_t mismatches = 0, compared = 0;
            auto check = [&](int32_t x, int32_t y) {
                ++compared;
                mismatches += b.target[size_t(y) * zw + x] != referenceBilinear(b, zoom, x, y);
            };
            for (int32_t y : {0, 1, 2, zh / 3, zh / 2, zh - 2, zh - 1})
                for (int32_t x = 0; x < zw; ++x) check(x, y);
            for (int32_t x : {0, 1, zw / 3, zw / 2, zw - 2, zw - 1})
                for (int32_t y = 0; y < zh; ++y) check(x, y);
            EXPECT_EQ(mismatches, 0) << step << " from " << source.width << " x " << source.height;
            EXPECT_GT(compared, 7 * zw);
        }
    }
}

}  // namespace
}  // namespace toolkit_test
