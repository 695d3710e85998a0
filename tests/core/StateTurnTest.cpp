// The instance's turn: one thread at a time, re-entered by its holder,
// every wait bounded; and the GUI thread named by the views that are open.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/StateTurn.h"
#include "platform/GuiThread.h"

namespace {

using Clock = std::chrono::steady_clock;

// What another thread gets of the turn: whether it had it, how long it waited.
struct OtherTake {
    bool had = false;
    double waitedMs = 0;
};

OtherTake takeOnAnotherThread(StateTurn& turn, int32_t waitMs) {
    OtherTake result;
    std::thread other([&] {
        const auto start = Clock::now();
        const std::unique_lock<StateTurn> taken = turn.take(waitMs);
        result.waitedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        result.had = taken.owns_lock();
        EXPECT_EQ(turn.heldHere(), taken.owns_lock());
        EXPECT_EQ(StateTurn::heldByThisThread(), taken.owns_lock());
    });
    other.join();
    return result;
}

}  // namespace

TEST(StateTurn, OneHolderReentersItsOwnTurnAndOthersWaitBounded) {
    StateTurn turn;
    EXPECT_FALSE(turn.heldHere());
    {
        const std::unique_lock<StateTurn> outer = turn.take(0);
        ASSERT_TRUE(outer.owns_lock());
        const std::unique_lock<StateTurn> inner = turn.take(0);  // a load inside the editor's timer call
        ASSERT_TRUE(inner.owns_lock());
        EXPECT_TRUE(turn.heldHere());
        EXPECT_TRUE(StateTurn::heldByThisThread());

        const OtherTake busy = takeOnAnotherThread(turn, 30);
        EXPECT_FALSE(busy.had);
        EXPECT_GE(busy.waitedMs, 30.0) << "it waited its whole bound";
        EXPECT_LT(busy.waitedMs, 2000.0) << "and not much longer";
    }
    EXPECT_FALSE(turn.heldHere());
    EXPECT_FALSE(StateTurn::heldByThisThread());
    const OtherTake free = takeOnAnotherThread(turn, 0);
    EXPECT_TRUE(free.had) << "both levels were given back";
    EXPECT_LT(free.waitedMs, 30.0);
}

// A restore that holds the turn for a moment: the waiting side gets it as
// soon as it is given back, well inside its bound.
TEST(StateTurn, AWaiterGetsTheTurnWhenTheHolderGivesItBack) {
    StateTurn turn;
    std::atomic<bool> holding{false};
    std::thread restore([&] {
        const std::unique_lock<StateTurn> held = turn.take(0);
        holding.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    while (!holding.load()) std::this_thread::yield();
    const auto start = Clock::now();
    const std::unique_lock<StateTurn> taken = turn.take(2000);
    const double waitedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    restore.join();
    EXPECT_TRUE(taken.owns_lock());
    EXPECT_LT(waitedMs, 1000.0);
}

TEST(GuiThread, TheOpenViewsNameItAndTheLastCloseForgetsIt) {
    bool other = false, otherEnters = true;
    const auto fromAnotherThread = [&] {
        std::thread t([&] {
            other = platform::isGuiThread();
            otherEnters = platform::enterGuiThread();
            if (otherEnters) platform::leaveGuiThread();
        });
        t.join();
    };
    EXPECT_FALSE(platform::isViewOpen());
    fromAnotherThread();
    EXPECT_TRUE(other) << "with no view open every thread passes";
    ASSERT_TRUE(platform::enterGuiThread());
    ASSERT_TRUE(platform::enterGuiThread());  // a second view on the same thread
    EXPECT_TRUE(platform::isViewOpen());
    EXPECT_TRUE(platform::isGuiThread());
    fromAnotherThread();
    EXPECT_FALSE(other);
    EXPECT_FALSE(otherEnters) << "a view may not open on another thread meanwhile";
    platform::leaveGuiThread();
    EXPECT_TRUE(platform::isViewOpen()) << "one view is still open";
    platform::leaveGuiThread();
    EXPECT_FALSE(platform::isViewOpen());
    fromAnotherThread();
    EXPECT_TRUE(other);
    EXPECT_TRUE(otherEnters);
}
