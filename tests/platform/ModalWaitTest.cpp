// Where a thread must not wait on a person (nested spans), a notice is kept
// and shown, in order, when the outermost span ends, each box between the
// lender's lend and take back, and nobody is lent anything before then.
// (The turn's own lending: core/StateTurnTest.cpp.)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Dialogs.h"
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

}  // namespace
