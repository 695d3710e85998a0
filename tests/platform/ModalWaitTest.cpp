// Waits on a person: the lender gives away what the thread holds before a
// box, a file dialog or a drag out begins and takes it back when it ends;
// where the thread must not wait (nested spans), a notice is kept and shown,
// in order, when the outermost span ends, and nobody is lent anything
// before then.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/DragOut.h"
#include "platform/FileDialogs.h"
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
        previousDialogs = platform::setFileDialogHandler([this](const platform::FileDialogRequest& request) {
            log.push_back("dialog " + request.title);
            return platform::FileDialogResult{};
        });
        platform::setDragOutReceiver([this](const platform::DragOutRequest& request) {
            log.push_back("drag " + request.path);
            return platform::kDropEffectNone;
        });
    }
    void TearDown() override {
        platform::setModalLender(previousLender);
        platform::setMessageHandler(previousBoxes);
        platform::setFileDialogHandler(previousDialogs);
        platform::setDragOutReceiver({});
        journal = nullptr;
    }

    std::vector<std::string> log;
    platform::ModalLender previousLender;
    platform::MessageHandler previousBoxes;
    platform::FileDialogHandler previousDialogs;
};

TEST_F(ModalWaitTest, EveryWaitOnAPersonRunsBetweenTheLendAndTheTakeBack) {
    platform::showMessage(platform::MessageKind::OkCancel, "Zorvane", "Sure?");
    platform::FileDialogRequest request;
    request.title = "Save Preset";
    platform::runFileDialog(request);
    platform::dragFileOut({"/tmp/x.mid", platform::kDropEffectCopy, nullptr});
    EXPECT_EQ(log, (std::vector<std::string>{"lend", "box Sure?", "take back", "lend", "dialog Save Preset", "take back",
                                             "lend", "drag /tmp/x.mid", "take back"}));
}

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
