// Where a thread must not wait on a person (nested spans), a notice is kept
// and shown, in order, when the outermost span ends, each box between the
// lender's lend and take back, and nobody is lent anything before then.  A
// host call's notices are handed over instead, and debug builds stop a box
// raised off the GUI thread while a host call is under way.
// (The turn's own lending: core/StateTurnTest.cpp.)

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/GuiThread.h"
#include "platform/ModalWait.h"

namespace {

std::vector<std::string>* journal = nullptr;

void lend() { journal->push_back("lend"); }
void takeBack() { journal->push_back("take back"); }

class ModalWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal = &log;
        previousLender = platform::setModalLender({&lend, &takeBack});
        previousBoxes = platform::setMessageHandler([this](const platform::MessageRequest& request) {
            log.push_back("box " + request.text);
            return platform::safeAnswer(request.kind);
        });
    }
    void TearDown() override {
        platform::setModalLender(previousLender);
        platform::setMessageHandler(previousBoxes);
        journal = nullptr;
    }

    std::vector<std::string> log;
    platform::ModalLender previousLender;
    platform::MessageHandler previousBoxes;
};

TEST_F(ModalWaitTest, NoticesWhereNobodyMayWaitShowInOrderWhenTheOutermostSpanEnds) {
    {
        const platform::NoModalWait outer;
        EXPECT_TRUE(platform::modalWaitForbidden());
        EXPECT_EQ(platform::showMessage(platform::MessageKind::Ok, "Zorvane", "first"), platform::MessageAnswer::Ok);
        {
            const platform::NoModalWait inner;
            platform::showMessage(platform::MessageKind::Ok, "Zorvane", "second");
        }
        EXPECT_TRUE(log.empty()) << "still inside the outer span";
    }
    EXPECT_FALSE(platform::modalWaitForbidden());
    EXPECT_EQ(log, (std::vector<std::string>{"lend", "box first", "take back", "lend", "box second", "take back"}));
}

TEST_F(ModalWaitTest, AHostCallHandsItsNoticesOverAndShowsNothing) {
    std::vector<platform::MessageRequest> taken;
    {
        platform::HostCall call;
        EXPECT_TRUE(platform::servingHostCall());
        EXPECT_EQ(platform::hostCallsUnderWay(), 1);
        platform::showMessage(platform::MessageKind::Ok, "Zorvane", "first");
        {
            const platform::NoModalWait engineHeld;
            platform::showMessage(platform::MessageKind::Ok, "Zorvane", "second");
        }
        taken = call.takeNotices();
    }
    EXPECT_FALSE(platform::servingHostCall());
    EXPECT_EQ(platform::hostCallsUnderWay(), 0);
    EXPECT_TRUE(log.empty()) << "nothing shown, nothing lent";
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].text, "first");
    EXPECT_EQ(taken[1].text, "second");
    EXPECT_EQ(taken[1].title, "Zorvane");
}

#ifndef NDEBUG
TEST(ModalWaitDeathTest, ABoxOffTheGuiThreadWhileAHostCallIsUnderWayStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            // Another thread opens a view: it is the GUI thread while it lives.
            std::atomic<int> stage{0};
            std::thread gui([&] {
                platform::enterGuiThread();
                stage = 1;
                while (stage.load() != 2) std::this_thread::yield();
            });
            while (stage.load() != 1) std::this_thread::yield();
            platform::HostCall call;
            std::thread([] { platform::showMessage(platform::MessageKind::Ok, "Zorvane", "raised"); }).join();
            stage = 2;
            gui.join();
        },
        "a box raised off the GUI thread while a host call is under way");
}
#endif

}  // namespace
