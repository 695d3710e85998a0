// The GUI timer on the virtual clock: call counts, restarts, and a receiver
// that stops its timer.

#include <gtest/gtest.h>

#include "support/WindowDoubles.h"
#include "guitoolkit/BWGuiTimer.h"

namespace toolkit_test {
namespace {

struct Counter : BWTimerReceiver {
    bool onTimer(BWGuiTimer*) override { return ++calls < stopAfter; }
    int32_t calls = 0;
    int32_t stopAfter = 1000;
};

TEST(BWGuiTimer, CountsOnTheVirtualClock) {
    ScopedWindows windows;
    Counter fast, slow, stopping;
    stopping.stopAfter = 3;
    BWGuiTimer a(&fast, 25), b(&slow, 100), c(&stopping, 10);
    EXPECT_TRUE(a.start());
    EXPECT_TRUE(a.start());
    EXPECT_EQ(BWGuiTimer::runningTimers().size(), 1u) << "a second start makes no second timer";
    b.start();
    c.start();
    windows.advance(1000);
    EXPECT_EQ(fast.calls, 40);
    EXPECT_EQ(slow.calls, 10);
    EXPECT_EQ(stopping.calls, 3) << "false from onTimer stops the timer";
    EXPECT_FALSE(c.isRunning());

    EXPECT_FALSE(a.setPeriod(25)) << "same period: no restart";
    EXPECT_TRUE(a.setPeriod(50));
    windows.advance(1000);
    EXPECT_EQ(fast.calls, 60);
    EXPECT_TRUE(b.stop());
    EXPECT_FALSE(b.stop());
    windows.advance(1000);
    EXPECT_EQ(slow.calls, 20) << "stopped after its second second";
    EXPECT_EQ(fast.calls, 80);
    EXPECT_EQ(BWGuiTimer::runningTimers(), std::vector<BWGuiTimer*>{&a});

    Counter other;
    a.setReceiver(&other, 100);
    windows.advance(1000);
    EXPECT_EQ(other.calls, 10);
    EXPECT_EQ(fast.calls, 80);
    BWGuiTimer::guiTimerProc(987654);  // an identifier no longer listed is ignored
}

}  // namespace
}  // namespace toolkit_test
