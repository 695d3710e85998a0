// Poly-object views: where objects are drawn and hit, integer-only change
// detection, inputs bounded by their lengths (and one float serving all),
// presses and drags reported through the event record, and compositing.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "WidgetScene.h"
#include "widgets/BWPolyObjectView.h"

namespace widget_test {
namespace {

using PV = BWPolyObjectView;

struct Objects {
    float count = 1;
    float x[3] = {10, 15, 60};
    float y[3] = {5, 5, 0};
    float w[3] = {20, 20, 5};
    float h[3] = {10, 10, 5};
    float red = 255, green = 0, blue = 0;
    void bind(PV& view, size_t length = 3) {
        view.bindCount(&count);
        view.bind(PV::kX, BWPolyInput::array(x, length));
        view.bind(PV::kY, BWPolyInput::array(y, length));
        view.bind(PV::kWidth, BWPolyInput::array(w, length));
        view.bind(PV::kHeight, BWPolyInput::array(h, length));
        view.bind(PV::kRed, BWPolyInput::single(&red));
        view.bind(PV::kGreen, BWPolyInput::single(&green));
        view.bind(PV::kBlue, BWPolyInput::single(&blue));
        view.resizeObjects();
    }
};

TEST(BWPolyObjectView, RectanglesCountUpFromTheBottomAndChangesAreWholeNumbers) {
    WidgetScene scene;
    auto* view = scene.add(new PV(CRect(0, 0, 100, 50), &scene.listener, 370, scene.frame));
    view->drawMode = PV::kRects;
    Objects o;
    o.bind(*view);
    auto context = drawn(*view);
    const struct {
        int32_t x, y;
        bool red;
    } pixels[] = {{10, 35, true}, {29, 44, true}, {30, 44, false}, {10, 34, false}, {9, 40, false}, {20, 45, false}};
    for (const auto& p : pixels)
        EXPECT_EQ((context->getPixel(p.x, p.y) & 0xFFFFFF) == 0xFF0000, p.red) << p.x << "," << p.y;
    EXPECT_EQ(context->getPixel(50, 10) & 0xFFFFFF, 0x1E2024u) << "the panel behind";

    view->idle(0);
    const struct {
        float* input;
        float value;
        bool redraws;
    } changes[] = {{&o.x[0], 10.2f, false}, {&o.x[0], 10.7f, false}, {&o.x[0], 11.0f, true},
                   {&o.red, 254.9f, true},  {&o.x[1], 99.0f, false}, {&o.count, 1.9f, false},
                   {&o.count, 2.0f, true}};
    for (const auto& c : changes) {
        *c.input = c.value;
        view->setDirty(false);
        view->idle(0);
        EXPECT_EQ(view->isDirty(), c.redraws) << c.value;
    }
    EXPECT_EQ(view->cached(PV::kX, 1), 99);
    EXPECT_EQ(view->cached(PV::kRed, 1), 254) << "one float serves every object";
}

TEST(BWPolyObjectView, TheObjectCountNeverPassesTheBoundArrays) {
    WidgetScene scene;
    auto* view = scene.add(new PV(CRect(0, 0, 100, 50), nullptr, 370, scene.frame));
    Objects o;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float count;
        size_t length;
        int32_t objects;
    } cases[] = {{3, 3, 3}, {5, 3, 3}, {5, 2, 2}, {2.9f, 3, 2}, {nan, 3, 0}, {-4, 3, 0}, {1e30f, 3, 3}};
    for (const auto& c : cases) {
        o.count = c.count;
        o.bind(*view, c.length);
        EXPECT_EQ(view->objectCount(), c.objects) << c.count << " with arrays of " << c.length;
    }
    // Inputs bound for the first copy only: new objects start from the last value copied.
    auto* fresh = scene.add(new PV(CRect(0, 0, 100, 50), nullptr, 371, scene.frame));
    o.count = 1;
    o.bind(*fresh, 3);
    fresh->unbind(PV::kY);
    fresh->unbind(PV::kHeight);
    o.count = 3;
    fresh->resizeObjects();
    EXPECT_EQ(fresh->cached(PV::kY, 2), 5);
    EXPECT_EQ(fresh->cached(PV::kHeight, 2), 10);
    EXPECT_EQ(fresh->cached(PV::kX, 2), 60);
    EXPECT_EQ(fresh->cached(PV::kSpriteX, 2), 0) << "never bound";
}

TEST(BWPolyObjectView, PressesFindTheLowestIndexAndReportTheDrag) {
    WidgetScene scene;
    auto* view = scene.add(new PV(CRect(0, 0, 100, 50), &scene.listener, 370, scene.frame));
    Objects o;
    o.count = 3;
    o.bind(*view);
    CPoint miss(50, 10), overlap(20, 40), drag(26, 37);
    EXPECT_EQ(view->onMouseDown(miss, kLButton, 0), kMouseEventNotHandled);
    EXPECT_EQ(view->onMouseDown(overlap, kRButton, 0), kMouseEventHandled);
    EXPECT_EQ(view->pressedObject(), 0);
    EXPECT_EQ(view->event[PV::kRightButton], 1.0f);
    view->onMouseMoved(drag, kRButton, 0);
    EXPECT_EQ(view->event[PV::kDeltaX], 6.0f);
    EXPECT_EQ(view->event[PV::kDeltaY], -3.0f);
    view->onMouseUp(drag, 0, 0);
    EXPECT_EQ(view->pressedObject(), -1);
    EXPECT_EQ(scene.takeLog(), (CallLog{"valueChanged(370,0)", "valueChanged(370,0)", "valueChanged(370,0)"}));
    CPoint second(33, 36);
    EXPECT_EQ(view->onMouseDown(second, kLButton, 0), kMouseEventHandled);
    EXPECT_EQ(view->event[PV::kObjectIndex], 1.0f);
    EXPECT_EQ(view->onMouseUp(second, 0, 0), kMouseEventHandled);
    EXPECT_EQ(view->onMouseUp(second, 0, 0), kMouseEventNotHandled) << "nothing pressed";
}

TEST(BWPolyObjectView, CompositingWeighsByTheSourceAlpha) {
    WidgetScene scene;
    auto* view = scene.add(new PV(CRect(0, 0, 4, 2), nullptr, 371, scene.frame));
    auto* sheet = new CBitmap(2, 1);
    sheet->getPixels()[0] = 0x80646464u;  // (100, 100, 100) at alpha 128
    sheet->getPixels()[1] = 0x00FFFFFFu;  // alpha 0 leaves the destination
    sheet->setPixelsHaveAlpha(true);
    auto* image = new CBitmap(4, 2);
    view->setSheet(sheet);
    view->setOffscreenImage(image);
    float count = 3, x[3] = {0, 1, -1}, y[3] = {0, 0, 1}, w[3] = {2, 2, 2}, h[3] = {1, 1, 1}, sx[3] = {0, -1, 0},
          red = 200, zero = 0;
    view->bindCount(&count);
    view->bind(PV::kX, BWPolyInput::array(x, 3));
    view->bind(PV::kY, BWPolyInput::array(y, 3));
    view->bind(PV::kWidth, BWPolyInput::array(w, 3));
    view->bind(PV::kHeight, BWPolyInput::array(h, 3));
    view->bind(PV::kSpriteX, BWPolyInput::array(sx, 3));
    view->bind(PV::kRed, BWPolyInput::single(&red));
    view->bind(PV::kGreen, BWPolyInput::single(&zero));
    view->bind(PV::kBlue, BWPolyInput::single(&zero));
    view->resizeObjects();
    PV::Throttle throttle;
    throttle.lastTick = static_cast<int64_t>(scene.frame->getCurrentTime());  // composite over what is there
    view->throttle = &throttle;
    for (const PV::DrawMode mode : {PV::kSprites, PV::kTint}) {
        std::fill(image->getPixels(), image->getPixels() + 8, 0xFF000000u);
        view->drawMode = mode;
        drawn(*view, 10, 10);
        const uint32_t* p = image->getPixels();
        EXPECT_EQ(p[0], mode == PV::kSprites ? 0xFF636363u : 0xFF630000u) << mode;
        EXPECT_EQ(p[1], 0xFF000000u) << "a transparent source pixel; the object with a negative sprite offset is skipped";
        EXPECT_EQ(p[4], 0xFF000000u) << "left of the view the sprite's own left pixel is cut off";
        EXPECT_EQ(p[5], 0xFF000000u);
    }
    sheet->forget();
    image->forget();
}

}  // namespace
}  // namespace widget_test
