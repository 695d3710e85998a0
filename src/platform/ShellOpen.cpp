#include "platform/ShellOpen.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/Framework.h"
#include "platform/ReplaceableHandler.h"

extern char** environ;

namespace platform {
namespace {

ReplaceableHandler<ShellOpenHandler> shellHandler;

bool desktopSession() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

bool onPath(std::string_view program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string_view rest(path);
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        std::error_code error;
        if (!folder.empty() && std::filesystem::exists(std::filesystem::path(folder) / program, error)) return true;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return false;
}

// The opener returns at once (it hands the document to the desktop), but
// its exit must still be collected; the ones that have ended are reaped at
// every later start, so at most a few wait at any time.
std::mutex childrenLock;
std::vector<pid_t> children;

void reapEnded() {
    std::erase_if(children, [](pid_t child) { return waitpid(child, nullptr, WNOHANG) != 0; });
}

bool startOpener(const std::string& path) {
    std::string program = "xdg-open";
    // A path that begins with "-" would read as an option of the opener.
    std::string argument = !path.empty() && path[0] == '-' ? "./" + path : path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    std::lock_guard<std::mutex> lock(childrenLock);
    reapEnded();
    pid_t child = 0;
    if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
    children.push_back(child);
    return true;
}

bool defaultHandler(const std::string& path) {
    if (desktopSession() && onPath("xdg-open") && startOpener(path)) return true;
    std::fprintf(stderr, "Zorvane: no desktop to open it with; the document is at %s\n", path.c_str());
    return false;
}

}  // namespace

bool openDocument(const std::string& path) {
    const ShellOpenHandler handler = shellHandler.current();
    return handler ? handler(path) : defaultHandler(path);
}

bool openDocumentIfPresent(const std::string& path, const char* missing) {
    std::error_code error;
    if (!path.empty() && std::filesystem::exists(path, error)) return openDocument(path);
    Alert(missing);
    return false;
}

ShellOpenHandler setShellOpenHandler(ShellOpenHandler handler) { return shellHandler.replace(std::move(handler)); }

}  // namespace platform
