#include "guitoolkit/CView.h"

#include <gtest/gtest.h>

#include "support/ToolkitDoubles.h"
#include "guitoolkit/CColor.h"
#include "guitoolkit/CParamDisplay.h"
#include "guitoolkit/CTextEdit.h"
#include "guitoolkit/CViewContainer.h"

using namespace VSTGUI;
using namespace toolkit_test;

TEST(CRectTest, HitTestsCountEveryEdgeAndBoundNeverGoesNegative) {
    const CRect area(10, 20, 30, 40);
    struct HitCase {
        CPoint point;
        bool inside;
    };
    for (const HitCase& c : {HitCase{{10, 20}, true}, HitCase{{30, 40}, true}, HitCase{{30, 25}, true},
                             HitCase{{20, 40}, true}, HitCase{{31, 25}, false}, HitCase{{20, 41}, false},
                             HitCase{{9, 25}, false}, HitCase{{20, 19}, false}})
        EXPECT_EQ(area.pointInside(c.point), c.inside) << c.point.x << "," << c.point.y;

    CView view(area);
    EXPECT_TRUE(view.hitTest(CPoint(30, 40), 0));
    EXPECT_FALSE(view.hitTest(CPoint(31, 40), 0));
    EXPECT_TRUE(view.checkUpdate(CRect(30, 40, 50, 50)));  // touching the corner
    EXPECT_FALSE(view.checkUpdate(CRect(31, 0, 50, 50)));

    struct BoundCase {
        CRect a, b, bound, unite;
    };
    for (const BoundCase& c : {
             BoundCase{{0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}, {0, 0, 20, 20}},
             BoundCase{{0, 0, 10, 10}, {20, 30, 40, 50}, {20, 30, 20, 30}, {0, 0, 40, 50}},  // disjoint: empty at the larger corner
             BoundCase{{5, 5, 8, 40}, {0, 0, 10, 10}, {5, 5, 8, 10}, {0, 0, 10, 40}},
         }) {
        CRect bound = c.a, unite = c.a;
        EXPECT_EQ(bound.bound(c.b), c.bound) << describe(c.a) << " & " << describe(c.b);
        EXPECT_EQ(unite.unite(c.b), c.unite);
        EXPECT_FALSE(bound.width() < 0 || bound.height() < 0);
    }
}

TEST(CColorTest, StandardColoursKeepTheirValuesAndAlpha) {
    EXPECT_EQ(std::size(kStandardColours), 18u);
    EXPECT_EQ(colourTransparent, (CColor{255, 255, 255, 0}));
    EXPECT_EQ(colourGrey, (CColor{127, 127, 127, 255}));
    EXPECT_EQ(colourOrange, (CColor{245, 127, 55, 0}));
    EXPECT_EQ(colourGreyTeal, (CColor{128, 179, 179, 0}));
    EXPECT_EQ(colourNone, (CColor{1, 1, 1, 0}));
    EXPECT_EQ(sizeof(CColor), 4u);
    EXPECT_EQ(colourOrange.opaquePixel(), 0xFFF57F37u);  // drawn opaque despite alpha 0
}

TEST(CViewTest, WheelAxisAndSign) {
    CallLog log;
    ProbeView view(log, "v", CRect(0, 0, 10, 10));
    view.onWheel(CPoint(1, 2), 0, 1.5f, 0);
    view.onWheel(CPoint(1, 2), 1, 1.5f, 0);
    EXPECT_EQ(log, (CallLog{"v.wheel(1,2,-1.5)", "v.wheel(1,2,1.5)"}));
}

TEST(CViewTest, StateRulesOfTheBase) {
    FakeFrame frame(CRect(0, 0, 100, 100));
    CView view(CRect(5, 5, 15, 15));
    view.setVisible(true);
    EXPECT_FALSE(view.isDirty());  // same value: not dirty
    view.setVisible(false);
    EXPECT_TRUE(view.isDirty());

    EXPECT_EQ(view.getVisibleSize(), CRect());  // neither parent nor frame
    view.invalidRect(CRect(0, 0, 50, 50));      // detached: nothing reaches a window
    EXPECT_FALSE(view.removed(&frame));

    EXPECT_TRUE(view.attached(&frame));
    CViewContainer other(CRect(0, 0, 10, 10), &frame);
    EXPECT_FALSE(view.attached(&other));
    EXPECT_EQ(view.getParentView(), &frame);
    EXPECT_EQ(view.getFrame(), &frame);
    view.invalidRect(CRect(0, 0, 50, 50));  // invisible: nothing
    EXPECT_TRUE(frame.repaints.empty());
    view.setVisible(true);
    view.invalidRect(CRect(0, 0, 50, 50));
    EXPECT_EQ(frame.repaints.size(), 1u);
    EXPECT_EQ(view.getVisibleSize(), CRect(5, 5, 15, 15));
    EXPECT_TRUE(view.removed(&frame));
    EXPECT_EQ(view.getFrame(), nullptr);

    // Attributes copy in and out; a larger value replaces a smaller one.
    const uint32_t small = 7;
    const uint64_t large = 0x1122334455667788u;
    EXPECT_TRUE(view.setAttribute(42, sizeof(small), &small));
    EXPECT_TRUE(view.setAttribute(42, sizeof(large), &large));
    uint64_t back = 0;
    int32_t length = 0;
    EXPECT_FALSE(view.getAttribute(42, 4, &back, length));
    EXPECT_TRUE(view.getAttribute(42, sizeof(back), &back, length));
    EXPECT_EQ(back, large);
    CView copy(view);
    EXPECT_TRUE(copy.getAttributeSize(42, length));
    EXPECT_EQ(length, 8);
    EXPECT_FALSE(copy.isAttached());
}

TEST(CViewTest, IsTypeOfAnswersTheClassAndItsBases) {
    CallLog log;
    RecordingListener listener(log);
    CView view(CRect(0, 0, 1, 1));
    ProbeControl control(CRect(0, 0, 1, 1), nullptr, 0);
    CViewContainer container(CRect(0, 0, 1, 1));
    FakeFrame frame(CRect(0, 0, 1, 1));
    CParamDisplay display(CRect(0, 0, 1, 1));
    CTextEdit edit(CRect(0, 0, 1, 1), &listener, 0);
    const char* names[] = {"CView", "CControl", "CViewContainer", "CFrame", "CParamDisplay", "CTextEdit"};
    struct TypeCase {
        const CView* view;
        const char* answers;  // one letter per name above
    };
    for (const TypeCase& c : {TypeCase{&view, "y....."}, TypeCase{&control, "yy...."}, TypeCase{&container, "y.y..."},
                              TypeCase{&frame, "y.yy.."}, TypeCase{&display, "yy..y."}, TypeCase{&edit, "yy..yy"}})
        for (int i = 0; i < 6; ++i) EXPECT_EQ(c.view->isTypeOf(names[i]), c.answers[i] == 'y') << names[i] << " " << c.answers;
    EXPECT_FALSE(view.isTypeOf("cview"));
    EXPECT_FALSE(view.isTypeOf(nullptr));
}
