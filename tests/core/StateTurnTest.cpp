// The instance's turn: one thread at a time, re-entered by its holder,
// every wait bounded, lent whole while its holder waits on a person, and,
// parked, not waited for at all; and the GUI thread named by the views that
// are open.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

#include "core/StateTurn.h"
#include "platform/Dialogs.h"
#include "platform/DragOut.h"
#include "platform/FileDialogs.h"
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

// Each wait on a person (a box, a file dialog, a drag out) runs with every
// re-entry of the turn lent: another thread has it meanwhile, and the holder
// has both levels back afterwards.
TEST(StateTurn, AWaitOnAPersonLendsTheTurnWholeAndTakesItBack) {
    StateTurn turn;
    struct Seen {
        bool heldHere = true;
        bool heldByThisThread = true;
        OtherTake other;
    } seen;
    const auto inTheWait = [&] {
        seen.heldHere = turn.heldHere();
        seen.heldByThisThread = StateTurn::heldByThisThread();
        seen.other = takeOnAnotherThread(turn, 0);
    };
    const platform::MessageHandler boxes = platform::setMessageHandler([&](const platform::MessageRequest& request) {
        inTheWait();
        return platform::safeAnswer(request.kind);
    });
    const platform::FileDialogHandler dialogs = platform::setFileDialogHandler([&](const platform::FileDialogRequest&) {
        inTheWait();
        return platform::FileDialogResult{};
    });
    platform::setDragOutReceiver([&](const platform::DragOutRequest&) {
        inTheWait();
        return platform::kDropEffectNone;
    });
    const struct {
        const char* wait;
        void (*run)();
    } waits[] = {
        {"a question", [] { platform::showMessage(platform::MessageKind::YesNo, "Zorvane", "Sure?"); }},
        {"a file dialog", [] { platform::runFileDialog({}); }},
        {"a drag out", [] { platform::dragFileOut({}); }},
    };
    for (const auto& wait : waits) {
        SCOPED_TRACE(wait.wait);
        seen = {};
        {
            const std::unique_lock<StateTurn> outer = turn.take(0);
            const std::unique_lock<StateTurn> inner = turn.take(0);
            wait.run();
            EXPECT_TRUE(turn.heldHere());
            EXPECT_FALSE(takeOnAnotherThread(turn, 0).had);
        }
        EXPECT_FALSE(seen.heldHere);
        EXPECT_FALSE(seen.heldByThisThread);
        EXPECT_TRUE(seen.other.had) << "another thread had the turn during the wait";
        EXPECT_TRUE(takeOnAnotherThread(turn, 0).had) << "both levels were given back";
    }
    platform::setMessageHandler(boxes);
    platform::setFileDialogHandler(dialogs);
    platform::setDragOutReceiver({});
}

// A parked turn: another thread learns so at once instead of waiting its
// bound; the holder re-enters it and keeps it through a wait on a person.
TEST(StateTurn, AParkedTurnIsNotWaitedForAndStaysWithItsHolder) {
    StateTurn turn;
    const auto parkedOnAnotherThread = [&](int32_t waitMs) {
        bool parked = false, had = true;
        std::thread other([&] {
            const std::unique_lock<StateTurn> taken = turn.take(waitMs, &parked);
            had = taken.owns_lock();
        });
        other.join();
        return std::pair{had, parked};
    };
    bool boxSawParked = false;
    const platform::MessageHandler boxes = platform::setMessageHandler([&](const platform::MessageRequest& request) {
        boxSawParked = turn.heldHere() && parkedOnAnotherThread(0) == std::pair{false, true};
        return platform::safeAnswer(request.kind);
    });
    {
        const std::unique_lock<StateTurn> held = turn.take(0);
        turn.park();
        EXPECT_TRUE(turn.isParked());
        // A whole minute of bound: a waiter that waited would make this
        // test slow; one that gave way answers at once, and says so.
        EXPECT_EQ(parkedOnAnotherThread(60000), (std::pair{false, true}));
        const std::unique_lock<StateTurn> again = turn.take(0);
        EXPECT_TRUE(again.owns_lock());
        platform::showMessage(platform::MessageKind::Ok, "Zorvane", "kept");
        EXPECT_TRUE(boxSawParked);
        turn.unpark();
        EXPECT_EQ(parkedOnAnotherThread(0), (std::pair{false, false})) << "held, no longer parked";
    }
    EXPECT_EQ(parkedOnAnotherThread(0), (std::pair{true, false}));
    platform::setMessageHandler(boxes);
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
