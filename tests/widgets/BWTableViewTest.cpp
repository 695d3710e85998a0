// Step-table views on the core's lanes: the x and y mappings with zoom and
// scroll, every paint mode as hand-worked tables, play-range drags, the
// wheel, locks, the curve columns (a watched value out of range), the three
// displays, companions and the popup menu.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PatternScene.h"
#include "RecordingMenu.h"
#include "support/MessageCapture.h"
#include "widgets/BWButton.h"
#include "widgets/BWTableView.h"
#include "widgets/CurveColumns.h"

namespace widget_test {
namespace {

using TV = BWTableView;
constexpr int32_t kTableLeft = 192, kTableTop = 240, kTableBottom = 340;
const CRect kTableRect(kTableLeft, kTableTop, kTableLeft + 672, kTableBottom);  // 16 steps of 42 px, 100 px of values

// The x of a step's middle and the y of a normalised value.
int32_t xOf(float step) { return kTableLeft + static_cast<int32_t>(step * 42.0f) + 21; }
int32_t yOf(float v) { return kTableBottom - static_cast<int32_t>(v * 100.0f); }

struct TableFixture : PatternScene {
    TableFixture() {
        lane.resize(16, BWTable::kResizeFresh);
        lane.setRange(0.0f, 1.0f);
        lane.defaultValue = 0.0f;
        lane.reset();
        lane.setFlags(TV::kEditable);
        view = scene.add(new TV(kTableRect, &scene.listener, 383, scene.frame, 1));
        view->setTable(&lane);
    }
    BWTableXY& lane = models().cutoffLane(0);
    TV* view;
};

// A table the test can lock, as the core does while it rebuilds the points.
struct LockableTable : BWTable {
    LockableTable() : BWTable(nullptr, 16) {}
    using BWTable::setBusy;
};

TEST(BWTableView, MapsXAndYWithZoomAndScroll) {
    TableFixture f;
    const struct {
        uint32_t flags;
        float zoom, scroll;
        int32_t x;
        float position;
    } xs[] = {{TV::kContinuousX, 0, 0, kTableLeft + 336, 8.0f}, {0, 0, 0, kTableLeft + 336, 8.0f},
              {0, 0.5f, 1.0f, kTableLeft + 336, 12.0f},       {0, 0.5f, 0.0f, kTableLeft + 168, 2.0f},
              {TV::kContinuousX | TV::kCurve, 0.5f, 0.5f, kTableLeft + 336, 8.0f},
              {TV::kContinuousX, 0.5f, 1.0f, kTableLeft + 336, 8.0f}, {0, 0, 0, 100, 0.0f}, {0, 0, 0, 900, 15.0f}};
    for (const auto& c : xs) {
        f.lane.setFlags(TV::kEditable | c.flags);
        f.view->horizontalZoom = c.zoom;
        f.view->horizontalScroll = c.scroll;
        EXPECT_FLOAT_EQ(f.view->positionAt(c.x), c.position) << c.flags << " zoom " << c.zoom << " at " << c.x;
    }
    const struct {
        float zoom, scroll;
        int32_t y;
        float value;
    } ys[] = {{0, 0.5f, kTableBottom, 0.0f},   {0, 0.5f, kTableTop, 1.0f},       {0, 0.5f, 290, 0.5f},
              {1, 0.5f, kTableBottom, 2.5f / 6}, {1, 0.0f, kTableBottom, 5.0f / 6}, {1, 1.0f, kTableTop, 1.0f / 6},
              {0, 0.5f, 400, 0.0f},        {0, 0.5f, 100, 1.0f}};
    for (const auto& c : ys) {
        f.view->verticalZoom = c.zoom;
        f.view->verticalScroll = c.scroll;
        EXPECT_NEAR(f.view->normalizedAt(c.y), c.value, 1e-6) << "zoom " << c.zoom << " at " << c.y;
    }
}

TEST(BWTableView, PaintModesWriteWhatTheUserDrew) {
    const struct {
        const char* name;
        uint32_t flags;
        CButtonState modifiers;
        std::vector<CPoint> path;
        std::vector<float> expected;
    } cases[] = {
        {"free paint jumps from step 2 to 6", 0, 0, {{xOf(2), yOf(0.5f)}, {xOf(6), yOf(0.75f)}},
         {0, 0, .75f, .75f, .75f, .75f, .75f, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"a line always starts at the press", 0, kControl,
         {{xOf(2), yOf(0)}, {xOf(6), yOf(1)}, {xOf(9), yOf(0.25f)}, {xOf(4), yOf(0.5f)}},
         {0, 0, 0, .25f, .5f, .107f, .143f, .179f, .214f, .25f, 0, 0, 0, 0, 0, 0}},
        {"fine adjustment of the press step", 0, kShift, {{xOf(3), yOf(0.5f)}, {xOf(9), yOf(0.75f)}},
         {0, 0, 0, .55f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"Alt shifts every step", 0, kAlt, {{xOf(3), yOf(0.5f)}, {xOf(9), yOf(0.7f)}},
         {.04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f, .04f}},
        {"a toggle table flips the step", TV::kToggle, 0, {{xOf(5), yOf(0.1f)}},
         {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        TableFixture f;
        f.lane.setFlags(TV::kEditable | c.flags);
        uint32_t keys = 0;
        if (c.modifiers & kControl) keys |= platform::kStateControl;
        if (c.modifiers & kShift) keys |= platform::kStateShift;
        if (c.modifiers & kAlt) keys |= platform::kStateAlt;
        f.drag(c.path, platform::MouseButtonId::Left, keys);
        EXPECT_EQ(valuesOf(f.lane), c.expected) << c.name;
        EXPECT_FALSE(f.lane.hasFlag(BWTable::kInUseByView)) << c.name;
        for (const std::string& entry : f.scene.takeLog())
            EXPECT_EQ(entry.rfind("valueChanged", 0), std::string::npos) << c.name << ": step values never reach the listener";
    }
}

TEST(BWTableView, RangeDragsKeepTheMinimumLengthInsideTheTable) {
    const struct {
        float start, end;
        float press, to;
        float expectedStart, expectedEnd;
    } cases[] = {{0, 16, 1, 14, 12, 16}, {0, 16, 15, 2, 0, 4}, {4, 12, 8, 10, 6, 14}, {4, 12, 1, 2, 2, 12},
                 {4, 12, 11, 9, 4, 9},   {4, 12, 11, 5, 1, 5}, {4, 12, 8, 14, 10, 14}, {12, 16, 14, 0, 12, 16}};
    for (const auto& c : cases) {
        TableFixture f;
        f.lane.setFlags(TV::kEditable | TV::kRangeBar);
        f.view->setTable(&f.lane);
        f.view->playRange = {c.start, c.end, 10, 4, 0};
        const int32_t barY = kTableBottom - 5;
        f.drag({{kTableLeft + static_cast<int32_t>(c.press * 42) + 1, barY}, {kTableLeft + static_cast<int32_t>(c.to * 42) + 1, barY}});
        EXPECT_EQ(f.view->rangeStart(), c.expectedStart) << c.start << ".." << c.end << " from " << c.press << " to " << c.to;
        EXPECT_EQ(f.view->rangeEnd(), c.expectedEnd) << c.start << ".." << c.end << " from " << c.press << " to " << c.to;
        const CallLog log = f.scene.takeLog();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "valueChanged(383,0)");
        EXPECT_EQ(valuesOf(f.lane), std::vector<float>(16, 0.0f)) << "the range bar paints no steps";
    }
}

TEST(BWTableView, WheelLocksAndUneditableTables) {
    TableFixture f;
    f.lane.setNormalized(4, 0.5f);
    const CPoint at(xOf(4), 300);
    EXPECT_TRUE(f.view->onWheel(at, 1.0f, 0));
    EXPECT_FLOAT_EQ(f.lane.getNormalized(4), 0.5175f);
    EXPECT_TRUE(f.view->onWheel(at, -1.0f, kShift));
    EXPECT_FLOAT_EQ(f.lane.getNormalized(4), 0.513125f);
    f.lane.setFlags(TV::kEditable | TV::kInteger);
    f.lane.setRange(0.0f, 10.0f);
    f.lane.setValue(4, 3.0f);
    for (const float distance : {3.0f, 0.2f, -0.2f, -7.0f, -1.0f, -1.0f, -1.0f, -1.0f})
        f.view->onWheel(at, distance, 0);
    EXPECT_EQ(f.lane.getValue(4), 0.0f) << "one unit per event, never below the minimum: 3, 4, 5, 4, 3, 2, 1, 0, 0";

    f.lane.setFlags(0);
    CPoint press(xOf(2), 290);
    EXPECT_EQ(f.view->onMouseDown(press, kLButton, 0), kMouseEventNotHandled);
    EXPECT_FALSE(f.view->onWheel(at, 1.0f, 0));
    LockableTable locked;
    locked.setFlags(TV::kEditable);
    locked.setNormalized(2, 0.25f);
    f.view->setTable(&locked);
    locked.setBusy(true);
    EXPECT_EQ(f.view->onMouseDown(press, kLButton, 0), kMouseEventNotHandled);
    auto context = drawn(*f.view, 960, 400);
    for (const int32_t x : {kTableLeft + 1, xOf(2), kTableLeft + 600}) EXPECT_EQ(context->getPixel(x, 320) & 0xFFFFFF, 0u);
    locked.setBusy(false);
    EXPECT_FLOAT_EQ(locked.getNormalized(2), 0.25f);
    f.view->setTable(nullptr);
}

TEST(BWTableView, CurveColumnsRampWithinEachStepWhateverTheWatchedValue) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float steps[3] = {0.3f, 0.6f, 0.9f};
    const struct {
        float watched;
        std::vector<float> columns;
    } cases[] = {
        {0.5f, {.15f, .3f, .3f, .3f, .45f, .6f, .6f, .6f, .75f, .9f, .9f, .9f, .9f}},
        {1.5f, {.075f, .15f, .225f, .3f, .375f, .45f, .525f, .6f, .675f, .75f, .825f, .9f, .9f}},
        {1e30f, {.075f, .15f, .225f, .3f, .375f, .45f, .525f, .6f, .675f, .75f, .825f, .9f, .9f}},
        {nan, {.3f, .3f, .3f, .3f, .6f, .6f, .6f, .6f, .9f, .9f, .9f, .9f, .9f}},
        {-2.0f, {.3f, .3f, .3f, .3f, .6f, .6f, .6f, .6f, .9f, .9f, .9f, .9f, .9f}},
    };
    for (const auto& c : cases) {
        std::vector<float> columns(13, -1.0f);  // exactly width + 1: AddressSanitizer sees any write past it
        fillCurveColumns(columns.data(), columns.size(), 3, [&](uint64_t s) { return steps[s]; }, c.watched);
        for (size_t i = 0; i < columns.size(); ++i) EXPECT_NEAR(columns[i], c.columns[i], 1e-6) << c.watched << " column " << i;
    }
    std::vector<float> untouched(5, -1.0f);
    fillCurveColumns(untouched.data(), untouched.size(), 0, [](uint64_t) { return 1.0f; }, 1.0f);
    EXPECT_EQ(untouched, std::vector<float>(5, -1.0f)) << "no steps, no columns";

    // The same through a view that follows a rate of 1.5, and one without steps.
    TableFixture f;
    f.lane.setFlags(TV::kEditable | TV::kPixelBuffer);
    float rate = 1.5f;
    f.view->watchedValue = &rate;
    f.scene.idle();
    EXPECT_EQ(f.view->getCurveBuffer().getValueCount(), 673u);
    BWTable empty(nullptr, 0);
    empty.setFlags(TV::kEditable | TV::kPixelBuffer);
    f.view->setTable(&empty);
    rate = 0.25f;
    f.scene.idle();
    auto context = drawn(*f.view, 960, 400);
    EXPECT_EQ(context->getPixel(kTableLeft + 5, 300) & 0xFFFFFF, 0u) << "a table without steps draws nothing";
    f.view->setTable(nullptr);
}

// A strip whose frame i is the colour base + i.
CBitmap* strip(int32_t w, int32_t h, int32_t frames, uint32_t base) {
    auto* image = new CBitmap(w, h * frames);
    for (int32_t y = 0; y < h * frames; ++y)
        for (int32_t x = 0; x < w; ++x) image->getPixels()[y * w + x] = 0xFF000000u + base + static_cast<uint32_t>(y / h);
    image->setPixelsHaveAlpha(false);
    return image;
}

TEST(BWTableView, TheThreeDisplaysAndTheInUseMark) {
    TableFixture f;
    for (uint64_t i = 0; i < 16; ++i) f.lane.setNormalized(i, static_cast<float>(i) / 15.0f + 0.01f);
    f.lane.getValue(5);  // the play position
    f.view->barColour = CColor{10, 20, 30, 255};
    f.view->highlightColour = CColor{200, 100, 0, 255};
    f.view->backgroundColour = CColor{36, 36, 36, 255};

    // Drawn bars: value i/15 high, the playing step in the highlight.
    f.lane.setFlags(TV::kEditable | TV::kWatchPlay);
    auto bars = drawn(*f.view, 960, 400);
    EXPECT_EQ(bars->getPixel(kTableLeft + 9 * 42 + 20, kTableBottom - 1) & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(bars->getPixel(kTableLeft + 9 * 42 + 20, kTableBottom - 62) & 0xFFFFFF, 0x242424u) << "above the bar of 9/15";
    EXPECT_EQ(bars->getPixel(kTableLeft + 5 * 42 + 20, kTableBottom - 1) & 0xFFFFFF, 0xC86400u);
    EXPECT_FALSE(f.lane.hasFlag(BWTable::kInUseByView));

    // Step strip: frame int(15 n), or value - minimum for wide integer tables;
    // the playing step from the current-step strip.
    CBitmap* steps = strip(42, 100, 16, 0x100);
    CBitmap* current = strip(42, 100, 16, 0x200);
    f.view->setStepBitmap(steps, 16);
    f.view->setCurrentStepBitmap(current);
    auto cells = drawn(*f.view, 960, 400);
    for (const int32_t i : {0, 7, 15}) EXPECT_EQ(cells->getPixel(kTableLeft + i * 42 + 5, 300) & 0xFFFF, 0x100u + i);
    EXPECT_EQ(cells->getPixel(kTableLeft + 5 * 42 + 5, 300) & 0xFFFF, 0x205u);
    f.lane.setFlags(TV::kEditable | TV::kInteger);
    f.lane.setRange(2.0f, 40.0f);
    f.lane.setValue(3, 9.0f);
    f.lane.setValue(4, 40.0f);
    auto wide = drawn(*f.view, 960, 400);
    EXPECT_EQ(wide->getPixel(kTableLeft + 3 * 42 + 5, 300) & 0xFFFF, 0x107u);
    EXPECT_EQ(wide->getPixel(kTableLeft + 4 * 42 + 5, 300) & 0xFFFFFF, 0u) << "frame 38 lies past the strip: an empty cell";
    EXPECT_FALSE(f.lane.hasFlag(BWTable::kInUseByView));
    f.view->setStepBitmap(nullptr, 16);
    f.view->setCurrentStepBitmap(nullptr);
    steps->forget();
    current->forget();

    // Pixel-buffer curve: the buffer's own pixels land in the step area.
    f.lane.setRange(0.0f, 1.0f);
    f.lane.setFlags(TV::kEditable | TV::kPixelBuffer);
    f.scene.idle();
    auto buffered = drawn(*f.view, 960, 400);
    const BWRawBlit& buffer = f.view->getCurveBuffer().getBuffer();
    for (const int32_t x : {0, 300, 671})
        EXPECT_EQ(buffered->getPixel(kTableLeft + x, 290) & 0xFFFFFF, buffer.getPixel(x, 50) & 0xFFFFFF) << x;
    EXPECT_FALSE(f.lane.hasFlag(BWTable::kInUseByView));

    // Curve with a second table, grid, ruler and range: nothing is left marked.
    f.lane.setFlags(TV::kEditable | TV::kCurve | TV::kCurveFilled | TV::kBarGap2 | TV::kLabelStrip | TV::kRangeBar |
                    TV::kWatchPlay);
    f.view->setTable(&f.lane);
    f.view->secondTable = &f.models().cutoffLane(1);
    f.scene.idle();
    drawn(*f.view, 960, 400);
    EXPECT_FALSE(f.lane.hasFlag(BWTable::kInUseByView));
    EXPECT_FALSE(f.models().cutoffLane(1).hasFlag(BWTable::kInUseByView));
    EXPECT_EQ(f.view->getStepArea(), CRect(kTableLeft, kTableTop + 8, kTableLeft + 672, kTableBottom - 10));
}

TEST(BWTableView, CompanionsActAtOneOnlyAndTheMenuOpensAtTheStep) {
    TableFixture f;
    BWTableXY& other = f.models().cutoffLane(1);
    other.resize(16, BWTable::kResizeFresh);
    other.setRange(0.0f, 1.0f);
    other.defaultValue = 0.0f;
    other.reset();
    auto* random = new BWButton(CRect(kTableLeft, kTableTop, kTableLeft + 10, kTableTop + 10), nullptr, TV::kRandomTag, f.scene.frame, "", 0, 0);
    f.view->setCompanion(0, random);
    f.lane.restProbability = 0.0f;
    CPoint onButton(kTableLeft + 5, kTableTop + 5);
    EXPECT_EQ(f.view->onMouseDown(onButton, kLButton, 0), kMouseEventHandled);
    EXPECT_NE(valuesOf(f.lane), std::vector<float>(16, 0.0f)) << "the random companion filled the table";
    EXPECT_EQ(random->getValue(), 1.0f);
    f.view->onMouseUp(onButton, 0, 0);
    EXPECT_EQ(random->getValue(), 0.0f) << "the companion hears its release";

    MessageCapture messages;
    toolkit_test::ProbeControl copy(CRect(), nullptr, TV::kCopyTag), paste(CRect(), nullptr, TV::kPasteTag),
        reset(CRect(), nullptr, TV::kResetTag), unknown(CRect(), nullptr, 77);
    auto send = [&](TV& view, CControl& control, float value) {
        control.setValue(value);
        view.valueChanged(&control);
    };
    auto* second = f.scene.add(new TV(kTableRect, nullptr, 384, f.scene.frame, 1));
    second->setTable(&other);
    const std::vector<float> drawnValues = valuesOf(f.lane);
    send(*f.view, copy, 1.0f);
    send(*second, paste, 0.5f);
    EXPECT_EQ(valuesOf(other), std::vector<float>(16, 0.0f)) << "0.5 is not a press";
    send(*second, paste, 1.0f);
    EXPECT_EQ(valuesOf(other), drawnValues);
    send(*f.view, reset, 1.0f);
    EXPECT_EQ(valuesOf(f.lane), std::vector<float>(16, 0.0f));
    send(*f.view, unknown, 0.0f);
    EXPECT_TRUE(messages.texts().empty());
    send(*f.view, unknown, 1.0f);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"unknown value innBWTableView valuechanged : val:"});
    EXPECT_TRUE(f.view->isDirty());

    RecordingMenu menu(f.scene.log);
    f.view->setExtraPointer(static_cast<BWOptionMenuBase*>(&menu));
    f.scene.takeLog();
    CPoint right(xOf(3), 300);
    EXPECT_EQ(f.view->onMouseDown(right, kRButton, 0), kMouseHandledNoMoves);
    EXPECT_EQ(f.scene.takeLog(), (CallLog{"menu.int1(383)", "menu.int2(3)", "menu.popup(2,339,300,383,318,240,360,340,false)"}));
}

}  // namespace
}  // namespace widget_test
