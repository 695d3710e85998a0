#pragma once
// What a person sees of a message box on an X server, watched through the
// test's own connection: the box transient for a window, its title, class,
// size hints and process id, its pixels; and what the person does to it
// through XTest (a click on either button, found by its colour, a click
// beside them, Return, Escape, the close button).

#include <string>
#include <vector>

#include "platform/WindowSystem.h"

struct _XDisplay;

namespace toolkit_test {

struct SeenWindow {
    unsigned long window = 0;  // 0: no box showed
    int x = 0;  // on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    std::string title;
    std::string instance;
    std::string windowClass;
    long minWidth = 0, maxWidth = 0, minHeight = 0, maxHeight = 0;
    bool hasPid = false;  // _NET_WM_PID names this process
    std::vector<uint32_t> pixels;
};

// The first button's fill and the other button's outline.
constexpr uint32_t kBoxAccent = 0xF2A541;
constexpr uint32_t kBoxOutline = 0x4A4F57;

// What a desktop reads of a top-level window, and its pixels.
SeenWindow readWindow(_XDisplay* display, unsigned long window);
// Every top-level window transient for the owner that the server shows.
std::vector<unsigned long> boxesOf(_XDisplay* display, unsigned long owner);
// Waits (up to 20 s) for one box that holds the keyboard, drawn.
SeenWindow waitForBox(_XDisplay* display, unsigned long owner);
// Where a colour shows in the box (empty when nowhere).
platform::WindowRect boundsOf(const SeenWindow& box, uint32_t colour);

enum class BoxAct { ClickFirst, ClickSecond, Return, Escape, Close, ClickOutside };
void act(_XDisplay* display, const SeenWindow& box, BoxAct action);
// Waits (up to 10 s) for the box to go after its answer; one still shown is
// closed then, so that a lost act fails the test instead of hanging it.
// False when it had to be closed.
bool waitUntilGone(_XDisplay* display, unsigned long owner, const SeenWindow& box);
// A click at window pixels (XTest).
void clickAt(_XDisplay* display, unsigned long window, int x, int y);

}  // namespace toolkit_test
