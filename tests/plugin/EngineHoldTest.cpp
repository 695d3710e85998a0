// The engine hold between a rendering thread and holders, raced for real:
// the two are never inside at once, and each side gets in while the other
// stays out; and a holder asks nobody anything.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Framework.h"
#include "plugin/EngineHold.h"
#include "support/RunLength.h"

TEST(EngineHold, ARenderAndAHolderAreNeverInsideAtOnceAndBothGetIn) {
    EngineHold hold;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<bool> stop{false};
    std::atomic<int64_t> blocks{0};
    // Each side marks its stay with a relaxed count, so that the hold's own
    // fences alone keep the stays apart.
    const auto stay = [&] {
        if (inside.fetch_add(1, std::memory_order_relaxed) != 0) overlaps.fetch_add(1);
        for (int spin = 0; spin < 50; ++spin) std::atomic_signal_fence(std::memory_order_seq_cst);
        inside.fetch_sub(1, std::memory_order_relaxed);
    };
    std::thread render([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            if (!hold.enterBlock()) continue;
            stay();
            // Counted inside the block: a count after leaving could land
            // while a holder that got in since is looking.
            blocks.fetch_add(1, std::memory_order_relaxed);
            hold.leaveBlock();
        }
    });
    int holds = 0;
    // At least 400 ms, and until both sides got in often, however busy the
    // machine.
    const RunLength run(std::chrono::milliseconds(400));
    while (run.goOn(holds > 50 && blocks.load() > 100)) {
        if (!hold.acquire(EngineHold::kEditTries)) continue;
        ++holds;
        const int64_t before = blocks.load();
        stay();
        EXPECT_EQ(blocks.load(), before);  // no block runs while held
        hold.release();
        std::this_thread::sleep_for(std::chrono::microseconds(100));  // room for blocks between holds
    }
    stop = true;
    render.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(holds, 50);
    EXPECT_GT(blocks.load(), 100);
}

// Nobody is asked anything while the render waits in silence: a notice the
// holder raises shows once the hold ends.
TEST(EngineHold, ANoticeRaisedWhileHoldingShowsWhenTheHoldEnds) {
    EngineHold hold;
    std::vector<std::string> shown;
    const platform::MessageHandler previous = platform::setMessageHandler([&](const platform::MessageRequest& request) {
        shown.push_back(request.text);
        return platform::MessageAnswer::Ok;
    });
    ASSERT_TRUE(hold.acquire(0));
    AlertPrintf("loading ROM file from %s failed", "Broken.bwr");
    EXPECT_TRUE(shown.empty());
    hold.release();
    EXPECT_EQ(shown, std::vector<std::string>{"loading ROM file from Broken.bwr failed"});
    platform::setMessageHandler(previous);
}
