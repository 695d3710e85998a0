#pragma once
// `zorvane-host editor` run as a person runs it, under an X server of the
// test's own: the program is a child process with a settings folder, a
// documents folder and a drop folder of the test's; the test finds its
// window, sends it pointer input through XTest, reads what the server shows
// (XGetImage) and closes it with the window manager's close message.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/TempDir.h"

struct _XDisplay;

class EditorSession {
public:
    // Starts the program on the display with the arguments after "editor";
    // running() tells whether its view appeared.
    EditorSession(const std::string& display, const std::vector<std::string>& arguments, const TempDir& home);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    bool running() const { return view != 0; }
    // What the program printed so far, for a failure's message.
    std::string output() const;
    int32_t width() const { return viewWidth; }
    int32_t height() const { return viewHeight; }

    // Pointer input at view pixels, each followed by the time the program
    // takes to see it.
    void click(int32_t x, int32_t y, unsigned int button = 1);
    void drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);
    void wheel(int32_t x, int32_t y, int notches);
    // The pointer goes off the view, to the screen's far corner.
    void leave();
    void pause(int milliseconds);

    // What the server shows of the view: colours, row after row.
    std::vector<uint32_t> pixels() const;
    // Waits until the view shows exactly these pixels; false when it did
    // not within the time.
    bool waitForPixels(const std::vector<uint32_t>& wanted, int milliseconds = 8000) const;

    // Presses the window's close button (the window manager's message) and
    // waits for the program: its exit status, 128 + the signal that ended
    // it, or -1 when it did not end.
    int close();
    // The same for a signal sent to the program, and for its own end.
    int stop(int signal);
    int waitForEnd();
    // Closes the test's own connection to the display (before its server
    // goes away); input and pixels are then out of reach.
    void disconnect();
    // Waits (up to 20 s) for a message box of the program's over its
    // window, shown and drawn; false when none came.
    bool waitForBox() const;

private:
    void findView();
    void pointerTo(int32_t x, int32_t y);

    _XDisplay* display = nullptr;
    std::string outputPath;
    pid_t child = 0;
    std::string ending;  // how the program ended when it ended without a view
    unsigned long top = 0;
    unsigned long view = 0;
    int32_t viewWidth = 0;
    int32_t viewHeight = 0;
};

// The colours of a PNG file, row after row (empty when it cannot be read).
std::vector<uint32_t> pngColours(const std::string& path, int32_t& width, int32_t& height);
