#pragma once
// Which thread is the GUI thread, so that every layer can assert its "GUI
// thread" notes in debug builds (ZORVANE_ASSERT_GUI_THREAD()).
//
// The GUI thread is the thread on which the host opened the views that are
// open now: the first open names it, the last close forgets it.  With no
// view open every thread passes (tests and tools drive editors of their own
// on whichever thread they run).  A view opened on another thread while one
// is open is itself a broken rule: enterGuiThread answers false for it.

#include <cassert>

namespace platform {

// A view opens on this thread; false when another thread is the GUI thread.
bool enterGuiThread();
// The view opened by the matching enterGuiThread closed.
void leaveGuiThread();
// This is the GUI thread, or no view is open.  Any thread.
bool isGuiThread();
// A host's view is open (a GUI thread is named).  Any thread.
bool isViewOpen();

}  // namespace platform

#define ZORVANE_ASSERT_GUI_THREAD() assert(platform::isGuiThread() && "a GUI-thread operation runs on another thread")
