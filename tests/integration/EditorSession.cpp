#include "EditorSession.h"

// Before the X headers, whose CursorShape macro the window layer would meet.
#include "ProgramRuns.h"
#include "support/MessageBoxWatch.h"
#include "support/WindowPixels.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The time the program takes to see input: a few of its 30 ms timer calls.
constexpr int kSeeInputMs = 150;

void startEditor(const std::string& display, const std::vector<std::string>& arguments, const TempDir& home) {
    setenv("DISPLAY", display.c_str(), 1);
    setenv("HOME", home.str().c_str(), 1);
    setenv("ZORVANE_SETTINGS_DIR", (home / "settings").c_str(), 1);
    setenv("ZORVANE_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
    setenv("ZORVANE_DROP_DIR", (home / "drop").c_str(), 1);
    const int output = open((home / "editor.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (output >= 0) {
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
    }
    std::vector<std::string> words = {kHostProgram, "editor"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(kHostProgram.c_str(), argv.data());
    _exit(127);
}

}  // namespace

EditorSession::EditorSession(const std::string& name, const std::vector<std::string>& arguments, const TempDir& home)
    : outputPath((home / "editor.out").string()) {
    for (const char* folder : {"settings", "Documents", "drop"}) std::filesystem::create_directories(home / folder);
    child = fork();
    if (child == 0) startEditor(name, arguments, home);
    // A server that has just reported itself ready can still turn a first
    // connection away on a loaded machine; a few tries tell that from a
    // server that is gone.
    display = XOpenDisplay(name.c_str());
    for (int attempt = 0; attempt < 20 && !display; ++attempt) {
        pause(250);
        display = XOpenDisplay(name.c_str());
    }
    if (!display) ending = "was not watched: the test could not connect to " + name;
    if (display && child > 0) findView();
}

EditorSession::~EditorSession() {
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    if (display) XCloseDisplay(display);
}

// The program's top-level window "Zorvane" and the plug-in's view in it,
// once the view has the window's size (the host sizes its window to the
// view right after the open).
void EditorSession::findView() {
    // Generous: a loaded machine runs several sanitized programs at once.
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < end) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            // It ended without a view; its output and its status say why.
            ending = WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status))
                                         : "exited with status " + std::to_string(WEXITSTATUS(status));
            child = 0;
            return;
        }
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count && !view; ++i) {
            char* title = nullptr;
            if (!XFetchName(display, children[i], &title) || !title) continue;
            const bool ours = std::string(title) == "Zorvane";
            XFree(title);
            Window* inside = nullptr;
            unsigned int insideCount = 0;
            if (!ours || !XQueryTree(display, children[i], &root, &parent, &inside, &insideCount)) continue;
            XWindowAttributes outer{}, inner{};
            if (insideCount == 1 && XGetWindowAttributes(display, children[i], &outer) &&
                XGetWindowAttributes(display, inside[0], &inner) && inner.map_state == IsViewable &&
                outer.width == inner.width && outer.height == inner.height) {
                top = children[i];
                view = inside[0];
                viewWidth = inner.width;
                viewHeight = inner.height;
            }
            if (inside) XFree(inside);
        }
        if (children) XFree(children);
        if (view) return;
        pause(50);
    }
}

std::string EditorSession::output() const {
    std::ifstream in(outputPath);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!ending.empty()) text += "\n(the program " + ending + ")";
    return text;
}

void EditorSession::pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void EditorSession::pointerTo(int32_t x, int32_t y) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, view, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XFlush(display);
}

void EditorSession::click(int32_t x, int32_t y, unsigned int button) {
    pointerTo(x, y);
    pause(kSeeInputMs / 3);
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XFlush(display);
    pause(kSeeInputMs);
}

void EditorSession::drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
    pointerTo(fromX, fromY);
    pause(kSeeInputMs / 3);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    const int32_t steps = std::max(std::abs(toX - fromX), std::abs(toY - fromY));
    for (int32_t i = 1; i <= steps; ++i) pointerTo(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
    pause(kSeeInputMs);
}

void EditorSession::wheel(int32_t x, int32_t y, int notches) {
    pointerTo(x, y);
    pause(kSeeInputMs / 3);
    for (int i = 0; i < std::abs(notches); ++i) {
        XTestFakeButtonEvent(display, notches > 0 ? 4 : 5, True, CurrentTime);
        XTestFakeButtonEvent(display, notches > 0 ? 4 : 5, False, CurrentTime);
    }
    XFlush(display);
    pause(kSeeInputMs);
}

void EditorSession::leave() {
    XTestFakeMotionEvent(display, -1, DisplayWidth(display, 0) - 1, DisplayHeight(display, 0) - 1, CurrentTime);
    XFlush(display);
    pause(kSeeInputMs);
}

std::vector<uint32_t> EditorSession::pixels() const {
    return toolkit_test::serverPixels(display, view, viewWidth, viewHeight);
}

bool EditorSession::waitForPixels(const std::vector<uint32_t>& wanted, int milliseconds) const {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        if (pixels() == wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (Clock::now() < end);
    return false;
}

int EditorSession::close() {
    if (child <= 0) return -1;
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = top;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, top, False, NoEventMask, &message);
    XFlush(display);
    return waitForEnd();
}

int EditorSession::stop(int signal) {
    if (child > 0) kill(child, signal);
    return waitForEnd();
}

void EditorSession::disconnect() {
    if (display) XCloseDisplay(display);
    display = nullptr;
}

bool EditorSession::waitForBox() const {
    return display && toolkit_test::waitForBox(display, top).window != 0;
}

int EditorSession::waitForEnd() {
    const auto end = Clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (child > 0 && Clock::now() < end) {
        if (waitpid(child, &status, WNOHANG) == child) {
            child = 0;
            return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
        }
        pause(20);
    }
    return -1;
}

std::vector<uint32_t> pngColours(const std::string& path, int32_t& width, int32_t& height) {
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    std::vector<uint32_t> colours;
    width = height = 0;
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        width = cairo_image_surface_get_width(image);
        height = cairo_image_surface_get_height(image);
        const int stride = cairo_image_surface_get_stride(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        for (int32_t y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
            for (int32_t x = 0; x < width; ++x) colours.push_back(row[x] & 0xffffff);
        }
    }
    cairo_surface_destroy(image);
    return colours;
}
