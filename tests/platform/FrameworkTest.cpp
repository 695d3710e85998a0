#include "platform/Framework.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/ModalWait.h"
#include "platform/MsvcRand.h"
#include "support/MessageCapture.h"

using platform::MessageAnswer;
using platform::MessageKind;

TEST(Framework, IdentityAndVersionChecks) {
    MessageCapture capture;
    initFramework({"Zorvane", 9, "1.0.0.00"}, 2, false);
    EXPECT_STREQ(getProductName(), "Zorvane");
    EXPECT_EQ(getProgramVersion(), 9);
    EXPECT_STREQ(getVersionString(), "1.0.0.00");
    // Both mismatches only inform; the start goes on.
    ASSERT_EQ(capture.texts().size(), 2u);
    EXPECT_EQ(capture.texts()[0], "compiled lib version does not match!");
    EXPECT_EQ(capture.texts()[1], "vstgui mismatch compiled 1 , init 0  ");
    EXPECT_EQ(capture.shown()[0].title, "Zorvane");
}

TEST(Framework, InitSeedsPatternGeneratorFromRuntimeRand) {
    MessageCapture capture;
    platform::msvcSrand(1);
    initFramework(defaultProductInfo(), 1, true);
    EXPECT_EQ(patternRandomSeed(), 41);  // first draw of the runtime generator from seed 1
    EXPECT_TRUE(capture.shown().empty());
}

TEST(Framework, ConfirmationsAnswerFromTheChosenButton) {
    MessageCapture capture;
    capture.script({MessageAnswer::Ok, MessageAnswer::Cancel, MessageAnswer::Yes, MessageAnswer::No});
    EXPECT_TRUE(ConfirmOkCancel("delete %s?", "preset"));
    EXPECT_FALSE(ConfirmOkCancel("x"));
    EXPECT_TRUE(ConfirmYesNo("y"));
    EXPECT_FALSE(ConfirmYesNo("z"));
    EXPECT_EQ(capture.shown()[0].text, "delete preset?");
    EXPECT_EQ(capture.shown()[0].kind, MessageKind::OkCancel);
    EXPECT_EQ(capture.shown()[2].kind, MessageKind::YesNo);
}

TEST(Framework, HeadlessQuestionsTakeTheSafeAnswer) {
    EXPECT_EQ(platform::safeAnswer(MessageKind::Ok), MessageAnswer::Ok);
    EXPECT_FALSE(ConfirmOkCancel("overwrite?"));
    EXPECT_FALSE(ConfirmYesNo("delete?"));
}

// A notice that a host call keeps for later is no box, so a box up
// elsewhere does not drop it.
TEST(Framework, AlertRaisedWhileAnAlertIsOpenIsDroppedButOneKeptForLaterIsNot) {
    std::vector<std::string> texts;
    std::vector<platform::MessageRequest> kept;
    auto previous = platform::setMessageHandler([&](const platform::MessageRequest& request) {
        texts.push_back(request.text);
        if (texts.size() == 1) {
            AlertPrintf("nested");  // as from the box's message loop
            std::thread([&] {
                platform::HostCall call;
                AlertPrintf("kept %d", 2);
                kept = call.takeNotices();
            }).join();
        }
        return MessageAnswer::Ok;
    });
    AlertPrintf("outer %d", 1);
    AlertPrintf("after");
    platform::setMessageHandler(previous);
    EXPECT_EQ(texts, (std::vector<std::string>{"outer 1", "after"}));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].text, "kept 2");
}

TEST(Framework, LongFormattedTextIsCutToTheBuffer) {
    MessageCapture capture;
    const std::string longText(10000, 'x');
    AlertPrintf("%s", longText.c_str());
    ASSERT_EQ(capture.texts().size(), 1u);
    EXPECT_EQ(capture.texts()[0].size(), 8191u);
}

TEST(Dialogs, NonBlockingReportsDrainInOrder) {
    platform::drainNonBlockingReports([](const char*) {});
    platform::reportNonBlocking("one");
    platform::reportNonBlocking("two");
    std::vector<std::string> seen;
    platform::drainNonBlockingReports([&](const char* text) { seen.push_back(text); });
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two"}));
    // A full ring drops later reports instead of blocking.
    for (int i = 0; i < 100; ++i) platform::reportNonBlocking("flood");
    seen.clear();
    platform::drainNonBlockingReports([&](const char* text) { seen.push_back(text); });
    EXPECT_EQ(seen.size(), 64u);
}
