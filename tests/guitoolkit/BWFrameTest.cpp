// The editor's frame: overlay routing of presses and releases, the widget
// idle tick and its page rule, and redraw requests.

#include <gtest/gtest.h>

#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"

namespace toolkit_test {
namespace {

using VSTGUI::BWFrame;
using VSTGUI::BWFrameWidget;

class ProbeWidget : public ProbeView, public BWFrameWidget {
public:
    ProbeWidget(CallLog& log, std::string name, const CRect& size, int32_t kind = 0)
        : ProbeView(log, std::move(name), size), kind(kind) {}
    int32_t getWidgetKind() const override { return kind; }
    bool isWidgetVisible() const override { return true; }
    int32_t getContainerMode() const override { return mode; }
    CRect getExtent() const override { return getViewSize(); }
    void idleTick(int32_t) override { log.push_back(name + ".tick"); }
    const PageSet* getPageSet() const override { return pages; }
    int32_t getPageIndex() const override { return page; }
    void looseFocus() override {
        log.push_back(name + ".looseFocus");
        if (frame && frame->getOverlay() == this) frame->setOverlay(nullptr);
    }

    int32_t kind;
    int32_t mode = 0;
    const PageSet* pages = nullptr;
    int32_t page = 0;
    BWFrame* frame = nullptr;
};

struct FrameWithOverlay {
    FrameWithOverlay() {
        frame = new BWFrame(CRect(0, 0, 200, 200), nullptr, nullptr);
        under = new ProbeWidget(log, "under", CRect(0, 0, 200, 200));
        frame->addView(under);
    }
    ~FrameWithOverlay() { frame->forget(); }
    // Adds an overlay of a kind and answer; returns it.
    ProbeWidget* overlay(int32_t kind, int32_t answer, int32_t mode = 0) {
        auto* o = new ProbeWidget(log, "overlay", CRect(50, 50, 100, 100), kind);
        o->answer = answer;
        o->mode = mode;
        o->frame = frame;
        frame->addView(o);
        frame->setOverlay(o);
        return o;
    }
    CallLog press(CPoint where) {
        log.clear();
        frame->onMouseDown(where, VSTGUI::kLButton, 0);
        return log;
    }
    CallLog log;
    BWFrame* frame;
    ProbeWidget* under;
};

TEST(BWFrame, OverlayRoutingOfPresses) {
    struct Case {
        const char* name;
        int32_t kind, answer, mode;
        CPoint where;
        CallLog expected;
    } cases[] = {
        {"open menu takes the press as a release", 11, 1, 0, {10, 10}, {"overlay.up(10,10,2,0)"}},
        {"menu answering 3 closes and the press goes on", 11, 3, 0, {10, 10},
         {"overlay.up(10,10,2,0)", "overlay.looseFocus", "under.down(10,10,2,0)"}},
        {"mode 9 closes on a press outside", 10, 1, 9, {10, 10}, {"overlay.looseFocus", "under.down(10,10,2,0)"}},
        {"mode 7 passes a press outside through", 10, 1, 7, {10, 10}, {"under.down(10,10,2,0)"}},
        {"mode 0 outside goes to the frame", 10, 1, 0, {10, 10}, {"under.down(10,10,2,0)"}},
        {"container inside takes the press", 10, 1, 9, {60, 60}, {"overlay.down(60,60,2,0)"}},
        {"mode 3 outside still goes to the container", 10, 1, 3, {10, 10}, {"overlay.down(10,10,2,0)"}},
        {"other overlays answer themselves", 5, 1, 0, {10, 10}, {"overlay.down(10,10,2,0)"}},
    };
    for (const Case& c : cases) {
        FrameWithOverlay s;
        s.overlay(c.kind, c.answer, c.mode);
        EXPECT_EQ(s.press(c.where), c.expected) << c.name;
    }
}

TEST(BWFrame, PassThroughReleaseAndModeSixClose) {
    FrameWithOverlay s;
    s.overlay(10, 1, 7);
    s.press({10, 10});
    EXPECT_TRUE(s.frame->isPassThrough(0));
    s.log.clear();
    CPoint p(12, 12);
    s.frame->onMouseMoved(p, VSTGUI::kLButton, 0);
    s.frame->onMouseUp(p, 0, 0);
    EXPECT_EQ(s.log, (CallLog{"under.moved(12,12,2,0)", "under.up(12,12,0,0)"}));

    FrameWithOverlay t;
    t.overlay(10, 1, 6);
    t.log.clear();
    CPoint outside(10, 10);
    EXPECT_EQ(t.frame->onMouseUp(outside, 0, 0), 1);
    EXPECT_EQ(t.log, CallLog{"overlay.looseFocus"});
}

TEST(BWFrame, IdleTicksWidgetsByPageAndRedrawsOncePerRequestBurst) {
    SettingsSandbox settings;
    ScopedWindows windows;
    const platform::WindowId host = windows.createWindow(0, 300, 300, nullptr);
    CallLog log;
    auto* frame = new BWFrame(CRect(0, 0, 200, 200), handleOf(host), nullptr);
    PageSet pages;
    auto* a = new ProbeWidget(log, "a", CRect(0, 0, 10, 10));
    auto* b = new ProbeWidget(log, "b", CRect(20, 0, 30, 10));
    auto* c = new ProbeView(log, "plain", CRect(40, 0, 50, 10));
    a->pages = b->pages = &pages;
    b->page = 100;
    for (CView* v : {static_cast<CView*>(a), static_cast<CView*>(b), static_cast<CView*>(c)}) frame->addView(v);

    frame->idle();
    EXPECT_EQ(log, (CallLog{"a.tick", "b.tick"}));
    pages.setPageBit(127, true);
    log.clear();
    frame->idle();
    EXPECT_EQ(log, CallLog{"b.tick"}) << "with page 127 up only page-100 widgets animate";

    windows.paint(frame->getWindow());
    const int32_t paints = frame->getPaintCount();
    for (int i = 0; i < 3; ++i) frame->requestRedraw();
    EXPECT_TRUE(windows.pendingUpdate(frame->getWindow()).isEmpty());
    frame->idle();
    EXPECT_EQ(windows.pendingUpdate(frame->getWindow()), (platform::WindowRect{0, 0, 200, 200}));
    EXPECT_TRUE(windows.paint(frame->getWindow()));
    frame->idle();
    EXPECT_FALSE(windows.paint(frame->getWindow())) << "the burst of requests redrew once";
    EXPECT_EQ(frame->getPaintCount(), paints + 1);
    frame->forget();
}

TEST(BWFrame, AnchorOrderAndDirectChildSearch) {
    FrameWithOverlay s;
    auto* anchor = new ProbeWidget(s.log, "anchor", CRect(0, 0, 5, 5));
    s.frame->addView(anchor);
    s.frame->setInsertionAnchor(anchor);
    auto* inserted = new ProbeWidget(s.log, "inserted", CRect(0, 0, 5, 5));
    s.frame->addView(inserted);
    EXPECT_EQ(s.frame->getView(1), inserted);
    EXPECT_EQ(s.frame->getView(2), anchor);
    EXPECT_EQ(s.frame->getViewAt(CPoint(2, 2)), s.under) << "first to last";
}

}  // namespace
}  // namespace toolkit_test
