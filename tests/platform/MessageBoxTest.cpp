// Message boxes: where the text and buttons go, and the X11 box as a person
// meets it under an X server of the test's own: a dialog window transient
// for the editor's, titled with the product name and known to the desktop,
// answering by mouse, Return, Escape and the close button, modal for the
// editor's windows, on its own connection when raised off the GUI thread,
// and dropped while another alert is open; and the editor's own top-level
// window, which a desktop knows by the same properties.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <numeric>
#include <thread>

#include <unistd.h>

#include "platform/Framework.h"
#include "platform/MessageBoxLayout.h"
#include "platform/X11MessageBoxes.h"
#include "platform/X11Windows.h"
#include "support/MessageBoxWatch.h"
#include "support/WindowPixels.h"
#include "support/XvfbServer.h"

// After the window layer, whose CursorShape the X headers would meet.
#include <X11/Xlib.h>
#undef CursorShape

namespace {

using namespace toolkit_test;
using platform::MessageAnswer;
using platform::MessageBoxLayout;
using platform::MessageKind;
using Clock = std::chrono::steady_clock;

// Seven pixels a byte: sixty to a line.
double sevenPerByte(const std::string& text) { return 7.0 * double(text.size()); }

std::string repeated(const std::string& word, int times, const char* gap = " ") {
    std::string text;
    for (int i = 0; i < times; ++i) text += (i ? gap : "") + word;
    return text;
}

TEST(MessageBoxLayout, WrapsCutsAndPlacesTheButtons) {
    struct Case {
        MessageKind kind;
        std::string text;
        std::vector<std::string> lines;  // empty: checked by count only
        size_t lineCount;
        std::vector<std::string> captions;
    };
    const std::string question = "The file kick.wav could not be found!\nDo you want to search for the file ?";
    const std::vector<Case> cases = {
        {MessageKind::Ok, "short", {"short"}, 1, {"OK"}},
        {MessageKind::OkCancel, question,
         {"The file kick.wav could not be found!", "Do you want to search for the file ?"}, 2, {"OK", "Cancel"}},
        {MessageKind::YesNo, "a\n\nb", {"a", "", "b"}, 3, {"Yes", "No"}},
        {MessageKind::Ok, "\t This is no valid Zorvane format!", {"This is no valid Zorvane format!"}, 1, {"OK"}},
        // A word wider than a line is broken between characters.
        {MessageKind::Ok, std::string(130, 'x'), {std::string(60, 'x'), std::string(60, 'x'), std::string(10, 'x')}, 3, {"OK"}},
        // Words go whole to the next line: 11 five-letter words (with blanks) a line.
        {MessageKind::Ok, repeated("wordy", 30), {}, 3, {"OK"}},
        {MessageKind::Ok, "", {""}, 1, {"OK"}},
        // The longest formatted text: cut to the lines a screen holds.
        {MessageKind::Ok, std::string(8191, 'y'), {}, size_t(MessageBoxLayout::kMaxLines), {"OK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        const MessageBoxLayout layout = platform::layoutMessageBox(c.kind, c.text, sevenPerByte);
        EXPECT_EQ(layout.lines.size(), c.lineCount);
        if (!c.lines.empty()) {
            EXPECT_EQ(layout.lines, c.lines);
        }
        std::vector<std::string> captions;
        for (const auto& button : layout.buttons) captions.push_back(button.caption);
        EXPECT_EQ(captions, c.captions);
        EXPECT_EQ(layout.defaultAnswer(), layout.buttons.front().answer);

        // Everything inside the window, the text above the buttons' band,
        // the buttons in a row at the right without overlapping.
        for (const std::string& line : layout.lines) EXPECT_LE(sevenPerByte(line), MessageBoxLayout::kMaxTextWidth);
        EXPECT_LE(layout.textTop + int32_t(layout.lines.size()) * MessageBoxLayout::kLineHeight, layout.bandTop);
        EXPECT_GE(layout.width, MessageBoxLayout::kMinWidth);
        EXPECT_LE(layout.width, MessageBoxLayout::kMaxTextWidth + 2 * MessageBoxLayout::kMargin);
        for (size_t i = 0; i < layout.buttons.size(); ++i) {
            const platform::WindowRect& r = layout.buttons[i].rect;
            EXPECT_GT(r.top, layout.bandTop);
            EXPECT_LT(r.bottom, layout.height);
            if (i > 0) {
                EXPECT_GT(r.left, layout.buttons[i - 1].rect.right);
            }
            EXPECT_EQ(layout.buttonAt(r.left + 1, r.top + 1), &layout.buttons[i]);
        }
        EXPECT_EQ(layout.buttons.back().rect.right, layout.width - MessageBoxLayout::kMargin);
        EXPECT_EQ(layout.buttonAt(1, 1), nullptr);
    }
    // Words wrapped keep every word, in order.
    const MessageBoxLayout wrapped = platform::layoutMessageBox(MessageKind::Ok, repeated("wordy", 30), sevenPerByte);
    EXPECT_EQ(std::accumulate(wrapped.lines.begin(), wrapped.lines.end(), std::string(),
                              [](std::string all, const std::string& line) { return all.empty() ? line : all + " " + line; }),
              repeated("wordy", 30));
    const MessageBoxLayout cut = platform::layoutMessageBox(MessageKind::Ok, std::string(8191, 'y'), sevenPerByte);
    EXPECT_EQ(cut.lines.back(), std::string(57, 'y') + "...");
    // A cut never leaves half a character.
    const MessageBoxLayout accents = platform::layoutMessageBox(MessageKind::Ok, repeated("\xC3\xA9", 61, ""), sevenPerByte);
    ASSERT_EQ(accents.lines.size(), 3u);
    EXPECT_EQ(accents.lines[0], repeated("\xC3\xA9", 30, ""));
}

struct Recorder : platform::WindowHandler {
    void handleWindowEvent(const platform::WindowEvent& e) override {
        if (e.kind == platform::WindowEvent::Kind::MouseDown) ++presses;
    }
    int presses = 0;
};

// An editor's windows on a display: a top-level window and a view in it,
// with the X11 boxes installed for them, and the test's own connection.
class X11Boxes : public ::testing::Test {
protected:
    void SetUp() override {
        if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
        ASSERT_TRUE(server.running()) << "Xvfb did not start";
        windows = std::make_unique<platform::X11Windows>(server.name().c_str());
        ASSERT_TRUE(windows->isConnected());
        top = windows->createWindow(0, 600, 400, &recorder);
        view = windows->createWindow(top, 600, 400, &recorder);
        windows->sync();
        boxes = std::make_unique<platform::X11MessageBoxes>(*windows);
        boxes->setOwner(windows->nativeWindow(top));
        previous = platform::setMessageHandler(boxes->handler());
        watcher = toolkit_test::openXTestDisplay(server.name().c_str());
        ASSERT_NE(watcher, nullptr);
    }
    void TearDown() override {
        if (watcher) XCloseDisplay(watcher);
        if (boxes) platform::setMessageHandler(std::move(previous));
    }
    Window owner() const { return windows->nativeWindow(top); }

    toolkit_test::XvfbServer server;
    Recorder recorder;  // outlives the windows, which tell it when they go
    std::unique_ptr<platform::X11Windows> windows;
    platform::WindowId top = 0, view = 0;
    std::unique_ptr<platform::X11MessageBoxes> boxes;
    platform::MessageHandler previous;
    Display* watcher = nullptr;
};

TEST_F(X11Boxes, EachBoxAnswersByMouseKeysAndCloseButtonAndKeepsTheEditorsInput) {
    struct Case {
        MessageKind kind;
        std::vector<BoxAct> acts;  // the last one answers
        MessageAnswer answer;
    };
    const std::vector<Case> cases = {
        {MessageKind::Ok, {BoxAct::ClickFirst}, MessageAnswer::Ok},
        {MessageKind::Ok, {BoxAct::Escape}, MessageAnswer::Ok},
        {MessageKind::OkCancel, {BoxAct::ClickOutside, BoxAct::ClickFirst}, MessageAnswer::Ok},
        {MessageKind::OkCancel, {BoxAct::ClickSecond}, MessageAnswer::Cancel},
        {MessageKind::OkCancel, {BoxAct::Return}, MessageAnswer::Ok},
        {MessageKind::OkCancel, {BoxAct::Escape}, MessageAnswer::Cancel},
        {MessageKind::OkCancel, {BoxAct::Close}, MessageAnswer::Cancel},
        {MessageKind::YesNo, {BoxAct::ClickFirst}, MessageAnswer::Yes},
        {MessageKind::YesNo, {BoxAct::ClickSecond}, MessageAnswer::No},
        {MessageKind::YesNo, {BoxAct::Return}, MessageAnswer::Yes},
        {MessageKind::YesNo, {BoxAct::Escape}, MessageAnswer::No},
        {MessageKind::YesNo, {BoxAct::Close}, MessageAnswer::No},
    };
    const unsigned long clientBits = ~0x1FFFFFul;  // the part of an id that names its connection
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        const std::string text = "Question " + std::to_string(i) + ": do you want to go on with what you started?";
        auto watching = std::async(std::launch::async, [&] {
            const SeenWindow seen = waitForBox(watcher, owner());
            if (seen.window) {
                // The editor's view, beside the box: the click must not reach it.
                clickAt(watcher, windows->nativeWindow(view), 590, 390);
                for (BoxAct a : c.acts) act(watcher, seen, a);
                EXPECT_TRUE(waitUntilGone(watcher, owner(), seen)) << "the box outlived its answer";
            }
            return seen;
        });
        const MessageAnswer answer = platform::showMessage(c.kind, getProductName(), text);
        const SeenWindow seen = watching.get();
        ASSERT_NE(seen.window, 0u) << "no box showed";
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(seen.title, "Zorvane");
        EXPECT_EQ(seen.windowClass, "Zorvane");
        EXPECT_FALSE(seen.instance.empty());
        EXPECT_TRUE(seen.hasPid);
        EXPECT_EQ(seen.minWidth, seen.width);
        EXPECT_EQ(seen.maxWidth, seen.width);
        EXPECT_EQ(seen.minHeight, seen.height);
        EXPECT_EQ(seen.maxHeight, seen.height);
        EXPECT_EQ(seen.window & clientBits, owner() & clientBits) << "the GUI thread's box is on the editor's connection";
        // Centred on the editor's window (600 x 400 at the screen's corner).
        EXPECT_NEAR(seen.x + seen.width / 2, 300, 1);
        EXPECT_NEAR(seen.y + seen.height / 2, 200, 1);
        // The buttons show in their colours: one accent button, and an
        // outlined one beside it where the box asks a question.
        EXPECT_FALSE(boundsOf(seen, kBoxAccent).isEmpty());
        EXPECT_EQ(boundsOf(seen, kBoxOutline).isEmpty(), c.kind == MessageKind::Ok);
    }
    windows->sync();
    EXPECT_TRUE(boxesOf(watcher, owner()).empty()) << "every box went";
    EXPECT_EQ(recorder.presses, 0) << "the editor heard clicks made while a box was open";
}

TEST_F(X11Boxes, TheTopLevelWindowTellsTheDesktopItsNameProgramAndFixedSize) {
    for (const auto& [width, height] : {std::pair{600, 400}, std::pair{700, 500}}) {
        windows->setWindowSize(top, width, height);
        windows->sync();
        const SeenWindow seen = readWindow(watcher, owner());
        EXPECT_EQ(seen.title, "Zorvane");
        EXPECT_EQ(seen.windowClass, "Zorvane");
        EXPECT_EQ(seen.instance, "tests_platform") << "the program's name";
        EXPECT_TRUE(seen.hasPid);
        EXPECT_EQ(seen.width, width);
        EXPECT_EQ(std::vector<long>({seen.minWidth, seen.maxWidth, seen.minHeight, seen.maxHeight}),
                  std::vector<long>({width, width, height, height}));
    }
}

TEST_F(X11Boxes, ABoxOffTheGuiThreadUsesAConnectionOfItsOwnAndASecondAlertIsDropped) {
    // Another thread's question.
    auto watching = std::async(std::launch::async, [&] {
        const SeenWindow seen = waitForBox(watcher, owner());
        if (seen.window) act(watcher, seen, BoxAct::ClickFirst);
        return seen;
    });
    const bool yes = std::async(std::launch::async, [] { return ConfirmYesNo("Replace %s?", "kick.wav"); }).get();
    const SeenWindow seen = watching.get();
    ASSERT_NE(seen.window, 0u);
    EXPECT_TRUE(yes);
    EXPECT_EQ(seen.title, "Zorvane");
    const unsigned long clientBits = ~0x1FFFFFul;
    EXPECT_NE(seen.window & clientBits, owner() & clientBits) << "the other thread used the editor's connection";

    // While an alert is open, a second one shows nothing and returns at once.
    auto second = std::async(std::launch::async, [&] {
        const SeenWindow first = waitForBox(watcher, owner());
        const auto start = Clock::now();
        AlertPrintf("second %d", 2);
        const auto took = Clock::now() - start;
        const size_t open = boxesOf(watcher, owner()).size();
        if (first.window) act(watcher, first, BoxAct::Return);
        return std::make_pair(took, open);
    });
    AlertPrintf("first %d", 1);
    const auto [took, open] = second.get();
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_EQ(open, 1u);
    windows->sync();
    EXPECT_TRUE(boxesOf(watcher, owner()).empty());
}

// A box whose server goes away, or whose program is asked to stop, ends
// with the safe answer and leaves the process running: on the GUI thread's
// connection (which knows itself lost afterwards) and on the connection of
// its own that a box off the GUI thread takes.  A box raised once the stop
// was asked ends at once.  A watchdog closes a box that outlives its end by
// 10 s, so that a box that stays fails the test instead of hanging it.
TEST(X11BoxEnds, WhenTheServerGoesOrTheProgramIsAskedToStop) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    enum class End { ServerKilled, StopAsked, StopAskedBefore };
    const struct {
        const char* how;
        End end;
        bool offGuiThread;
    } cases[] = {
        {"server killed under the GUI thread's box", End::ServerKilled, false},
        {"server killed under another thread's box", End::ServerKilled, true},
        {"stop asked while the box waits", End::StopAsked, false},
        {"stop asked before the box", End::StopAskedBefore, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        toolkit_test::XvfbServer server(800, 600);
        ASSERT_TRUE(server.running()) << "Xvfb did not start";
        Recorder recorder;
        platform::X11Windows windows(server.name().c_str());
        const platform::WindowId top = windows.createWindow(0, 600, 400, &recorder);
        windows.sync();
        const Window owner = windows.nativeWindow(top);
        platform::X11MessageBoxes boxes(windows);
        boxes.setOwner(owner);
        const platform::MessageHandler previous = platform::setMessageHandler(boxes.handler());
        int stop[2];
        ASSERT_EQ(pipe(stop), 0);
        windows.setStopDescriptor(stop[0]);
        if (c.end == End::StopAskedBefore) {
            ASSERT_EQ(write(stop[1], "", 1), 1);
        }
        Display* watcher = toolkit_test::openXTestDisplay(server.name().c_str());
        ASSERT_NE(watcher, nullptr);

        std::atomic<bool> answered{false};
        std::atomic<bool> watchdogClosed{false};
        auto acting = std::async(std::launch::async, [&] {
            bool shown = c.end == End::StopAskedBefore;
            if (!shown) shown = waitForBox(watcher, owner).window != 0;
            if (shown && c.end == End::ServerKilled) {
                XCloseDisplay(watcher);
                watcher = nullptr;
                server.kill();
            }
            if (shown && c.end == End::StopAsked) shown = write(stop[1], "", 1) == 1;
            const auto end = Clock::now() + std::chrono::seconds(10);
            while (!answered && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!answered && watcher) {
                watchdogClosed = true;
                for (unsigned long box : boxesOf(watcher, owner)) act(watcher, readWindow(watcher, box), BoxAct::Close);
            }
            return shown;
        });
        const auto ask = [] { return platform::showMessage(MessageKind::YesNo, "Zorvane", "Replace kick.wav?"); };
        const MessageAnswer answer = c.offGuiThread ? std::async(std::launch::async, ask).get() : ask();
        answered = true;
        ASSERT_TRUE(acting.get()) << "no box showed";
        EXPECT_FALSE(watchdogClosed) << "the box stayed until the watchdog closed it";
        EXPECT_EQ(answer, MessageAnswer::No);
        windows.pump(0);
        EXPECT_EQ(windows.connectionLost(), c.end == End::ServerKilled);
        if (watcher) {
            windows.sync();
            EXPECT_TRUE(boxesOf(watcher, owner).empty()) << "the box stayed";
            XCloseDisplay(watcher);
        }
        platform::setMessageHandler(previous);
        close(stop[0]);
        close(stop[1]);
    }
}

}  // namespace
