#include "platform/GuiThread.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace platform {

namespace {

// Opens and closes are rare; a mutex keeps the thread and the count together.
std::mutex& viewsLock() {
    static std::mutex lock;
    return lock;
}
std::atomic<std::thread::id> guiThread{};
int openViews = 0;

}  // namespace

bool enterGuiThread() {
    const std::lock_guard<std::mutex> lock(viewsLock());
    const std::thread::id me = std::this_thread::get_id();
    if (openViews > 0 && guiThread.load() != me) return false;
    guiThread.store(me);
    ++openViews;
    return true;
}

void leaveGuiThread() {
    const std::lock_guard<std::mutex> lock(viewsLock());
    if (openViews == 0 || guiThread.load() != std::this_thread::get_id()) return;
    if (--openViews == 0) guiThread.store(std::thread::id());
}

bool isViewOpen() { return guiThread.load() != std::thread::id(); }

bool isGuiThread() {
    const std::thread::id gui = guiThread.load();
    return gui == std::thread::id() || gui == std::this_thread::get_id();
}

}  // namespace platform
