// Button-line views on the core's step grids: clicks count through the
// values, drags paint the press value, the right button erases, mode 1
// keeps one step lit, the wheel wraps both ways, the cells, drawing, notify
// and undo; a grid without steps takes nothing.

#include <gtest/gtest.h>

#include "PatternScene.h"
#include "RecordingMenu.h"
#include "widgets/BWBtnLineView.h"

namespace widget_test {
namespace {

constexpr int32_t kLineLeft = 192, kLineTop = 370;
const CRect kLineRect(kLineLeft, kLineTop, kLineLeft + 672, kLineTop + 21);
CPoint at(int32_t step) { return CPoint(kLineLeft + step * 42 + 20, kLineTop + 10); }

struct LineFixture : PatternScene {
    LineFixture() {
        line.resize(16, 2);
        line.setCurrentLine(1);
        view = scene.add(new BWBtnLineView(kLineRect, &scene.listener, 373, scene.frame));
        view->model = &line;
    }
    void set(const std::vector<float>& steps) {
        for (size_t i = 0; i < steps.size(); ++i) line.setStepOnLine(1, i, steps[i]);
    }
    BWBtnLine& line = models().stepLine(1);
    BWBtnLineView* view;
};

std::vector<float> line16(std::initializer_list<std::pair<int, float>> lit) {
    std::vector<float> steps(16, 0.0f);
    for (const auto& [step, v] : lit) steps[static_cast<size_t>(step)] = v;
    return steps;
}

TEST(BWBtnLineView, ClicksDragsErasersAndTheWheel) {
    struct Action {
        enum Kind { Click, Drag, RightDrag, Wheel } kind;
        int32_t from, to;
        float distance;
    };
    const struct {
        const char* name;
        float maximum;
        int32_t mode;
        std::vector<float> initial;
        std::vector<Action> actions;
        std::vector<float> expected;
    } cases[] = {
        {"a drag paints the press value and the pressed step keeps it", 3, 0, line16({{1, 2}}),
         {{Action::Drag, 1, 4, 0}}, line16({{1, 2}, {2, 2}, {3, 2}, {4, 2}})},
        {"a drag to the left", 3, 0, line16({{6, 3}}), {{Action::Drag, 6, 3, 0}},
         line16({{3, 3}, {4, 3}, {5, 3}, {6, 3}})},
        {"a one-valued step toggles once", 1, 0, line16({}), {{Action::Click, 3, 3, 0}}, line16({{3, 1}})},
        {"mode 1 on the lit step turns the line off", 1, 1, line16({{5, 1}}), {{Action::Click, 5, 5, 0}}, line16({})},
        {"mode 1 lights one step only", 1, 1, line16({{2, 1}}), {{Action::Click, 7, 7, 0}}, line16({{7, 1}})},
        {"the right button erases the steps it enters", 1, 0, std::vector<float>(16, 1.0f),
         {{Action::RightDrag, 2, 5, 0}}, [] {
             std::vector<float> v(16, 1.0f);
             v[2] = v[5] = 0.0f;
             return v;
         }()},
        {"wheel down at 0 gives the maximum, up at the maximum 0", 3, 0, line16({{9, 3}}),
         {{Action::Wheel, 4, 4, -1}, {Action::Wheel, 9, 9, 2}, {Action::Wheel, 10, 10, 0.5f}}, line16({{4, 3}, {10, 1}})},
        {"the wheel in mode 1", 1, 1, line16({{2, 1}}), {{Action::Wheel, 6, 6, 1}}, line16({{6, 1}})},
    };
    for (const auto& c : cases) {
        LineFixture f;
        f.line.maxValue = c.maximum;
        f.view->mode = c.mode;
        f.set(c.initial);
        for (const Action& a : c.actions) {
            CPoint from = at(a.from), to = at(a.to);
            const CButtonState button = a.kind == Action::RightDrag ? kRButton : kLButton;
            if (a.kind == Action::Wheel) {
                EXPECT_TRUE(f.view->onWheel(from, a.distance, 0));
                continue;
            }
            f.view->onMouseDown(from, button, 0);
            if (a.kind != Action::Click) f.view->onMouseMoved(to, button, 0);
            f.view->onMouseUp(to, 0, 0);
        }
        EXPECT_EQ(stepsOf(f.line), c.expected) << c.name;
        EXPECT_TRUE(f.scene.takeLog().empty()) << c.name << ": nothing reported without notify";
    }
}

TEST(BWBtnLineView, AMultiValueStepCountsOnReleaseAndCellsShareTheirEdges) {
    LineFixture f;
    f.line.maxValue = 3;
    f.view->notify = true;
    std::vector<float> seen;
    for (int click = 0; click < 5; ++click) {
        CPoint p = at(2);
        EXPECT_EQ(f.view->onMouseDown(p, kLButton, 0), kMouseEventHandled);
        EXPECT_EQ(f.line.getStep(2), seen.empty() ? 0.0f : seen.back()) << "nothing changes on the press";
        f.view->onMouseUp(p, 0, 0);
        seen.push_back(f.line.getStep(2));
    }
    EXPECT_EQ(seen, (std::vector<float>{1, 2, 3, 0, 1}));
    EXPECT_EQ(f.scene.takeLog().size(), 5u) << "with notify each change is reported";

    const struct {
        int32_t x;
        int64_t step;
    } cells[] = {{kLineLeft, 0}, {kLineLeft + 42, 0}, {kLineLeft + 43, 1}, {kLineLeft + 671, 15}, {kLineLeft + 672, 15}, {kLineLeft - 1, -1}};
    for (const auto& c : cells) EXPECT_EQ(f.view->stepAt(CPoint(c.x, kLineTop + 5)), c.step) << c.x;

    // Undo: the press records the grid as it was.
    f.view->undoMode = 1;
    f.view->notify = false;
    f.line.maxValue = 1;
    f.set(line16({}));
    CPoint p = at(6);
    f.view->onMouseDown(p, kLButton, 0);
    f.view->onMouseUp(p, 0, 0);
    EXPECT_EQ(f.line.getStep(6), 1.0f);
    f.instance->undo();
    EXPECT_EQ(f.line.getStep(6), 0.0f);

    RecordingMenu menu(f.scene.log);
    f.view->setExtraPointer(static_cast<BWOptionMenuBase*>(&menu));
    CPoint right = at(4);
    EXPECT_EQ(f.view->onMouseDown(right, kRButton | kShift, 0), kMouseHandledNoMoves);
    EXPECT_EQ(f.scene.takeLog(), (CallLog{"menu.int1(373)", "menu.int2(4)", "menu.popup(2,380,380,373,380,370,864,391,false)"}));
}

TEST(BWBtnLineView, DrawsFramesByValueAndAGridWithoutStepsTakesNothing) {
    LineFixture f;
    CBitmap* strip = numberedStrip(42, 21, 3);
    auto* playing = new CBitmap(42, 63);  // every frame drawn in one colour: "frame" 0xA9
    std::fill(playing->getPixels(), playing->getPixels() + 42 * 63, 0xFF0000AAu);
    playing->setPixelsHaveAlpha(false);
    f.view->setStepBitmap(strip);
    f.view->setPlayingStepBitmap(playing);
    f.line.maxValue = 7;
    f.set(line16({{1, 1}, {2, 3}, {3, 7}, {4, 2}}));
    f.scene.idle();
    auto cells = drawn(*f.view, 960, 400);
    const int32_t y = kLineTop + 10;
    EXPECT_EQ(frameAt(*cells, kLineLeft + 5, y), -1) << "value 0 leaves its cell empty";
    EXPECT_EQ(frameAt(*cells, kLineLeft + 42 + 5, y), 0);
    EXPECT_EQ(frameAt(*cells, kLineLeft + 84 + 5, y), 2);
    EXPECT_EQ(frameAt(*cells, kLineLeft + 126 + 5, y), -1) << "a value past the strip draws nothing";

    float play = 4.0f;
    f.view->playPosition = &play;
    f.view->showValueZero = true;
    EXPECT_FALSE(f.view->isDirty());
    f.view->idle(0);
    EXPECT_TRUE(f.view->isDirty()) << "the play position moved";
    auto shown = drawn(*f.view, 960, 400);
    EXPECT_EQ(frameAt(*shown, kLineLeft + 5, y), 0);
    EXPECT_EQ(frameAt(*shown, kLineLeft + 84 + 5, y), -1);
    EXPECT_EQ(frameAt(*shown, kLineLeft + 168 + 5, y), 0xA9) << "the playing step from its own strip";
    strip->forget();
    playing->forget();

    BWBtnLine empty(nullptr, 0, 1);
    f.view->model = &empty;
    CPoint p = at(0);
    EXPECT_EQ(f.view->onMouseDown(p, kLButton, 0), kMouseEventNotHandled);
    EXPECT_FALSE(f.view->onWheel(p, 1.0f, 0));
    f.view->model = nullptr;
}

}  // namespace
}  // namespace widget_test
