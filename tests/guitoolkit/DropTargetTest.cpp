// Drops into the frame: the drag container's items, their types and order,
// links, long names, and the enter/move/drop sequence the views receive.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"
#include "guitoolkit/CDropTarget.h"
#include "support/TempDir.h"

namespace toolkit_test {
namespace {

using VSTGUI::CDragContainer;

// A view that logs the drag calls and every item of the container.
class DropView : public CView {
public:
    DropView(CallLog& log, const CRect& size) : CView(size), log(log) {}
    void onDragEnter(CDragContainer* drag, const CPoint& where) override {
        log.push_back(describeCall("enter", drag->getCount(), where.x, where.y));
    }
    void onDragMove(CDragContainer*, const CPoint&) override { log.push_back("move"); }
    bool onDrop(CDragContainer* drag, const CPoint&) override {
        int32_t size = 0, type = 0;
        for (void* item = drag->first(size, type);; item = drag->next(size, type)) {
            log.push_back(describeCall("item", type, size) + (item ? static_cast<const char*>(item) : ""));
            if (!item) break;
        }
        return true;
    }
    CallLog& log;
};

TEST(DropTarget, ItemsReachTheViewUnderThePointerInDropOrder) {
    SettingsSandbox settings;
    ScopedWindows windows;
    TempDir folder;
    const std::string target = (folder.path() / "sound.bwr").string();
    const std::string link = (folder.path() / "Shortcut.LNK").string();
    std::filesystem::create_symlink(target, link);
    const std::string longName = "/" + std::string(3000, 'n') + ".bwp";

    const platform::WindowId host = windows.createWindow(0, 300, 300, nullptr);
    CallLog log;
    auto* frame = new VSTGUI::CFrame(CRect(0, 0, 200, 200), handleOf(host), nullptr);
    frame->addView(new DropView(log, CRect(0, 0, 200, 200)));
    windows.move(frame->getWindow(), 30, 40);
    ASSERT_TRUE(windows.takesDrops(frame->getWindow()));

    windows.drop(frame->getWindow(), "", {"/a.wav", link, longName});
    const CallLog files = {"enter(3,30,40)", "move", "item(0,6)/a.wav",
                           "item(0," + std::to_string(target.size()) + ")" + target,
                           "item(0,3005)" + longName, "item(-1,0)"};
    EXPECT_EQ(log, files);

    log.clear();
    windows.drop(frame->getWindow(), "C major", {});
    EXPECT_EQ(log, (CallLog{"enter(1,30,40)", "move", "item(1,8)C major", "item(-1,0)"}))
        << "text once, its terminating zero counted";
    EXPECT_EQ(VSTGUI::CDropTarget::currentDrag(), nullptr);

    VSTGUI::WinDragContainer none(nullptr);
    int32_t size = 5, type = 5;
    EXPECT_EQ(none.first(size, type), nullptr);
    EXPECT_EQ(type, -2);
    EXPECT_EQ(none.getType(), -2);

    frame->forget();
    EXPECT_EQ(windows.windowCount(), 1u) << "the frame's window went with it";
}

}  // namespace
}  // namespace toolkit_test
