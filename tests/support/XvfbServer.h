#pragma once
// An X server of the test's own: starts Xvfb on a display number of its own
// (confirmed through -displayfd), so parallel tests never share one, and
// stops it at the end.
// available() is false only when Xvfb is not installed.

#include <sys/types.h>

#include <string>

namespace toolkit_test {

class XvfbServer {
public:
    // A screen of the size, 24 bits deep.
    explicit XvfbServer(int width = 1280, int height = 1024);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    static bool installed();
    bool running() const { return !display.empty(); }
    // ":N" once running.
    const std::string& name() const { return display; }
    // Kills the server now, as a crash would end it (SIGKILL).  The test's
    // own connections to it must be closed first.
    void kill();

private:
    pid_t server = 0;
    std::string display;
};

}  // namespace toolkit_test
