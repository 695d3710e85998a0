#include "support/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <vector>

extern char** environ;

namespace toolkit_test {

bool XvfbServer::installed() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && access((folder + "/Xvfb").c_str(), X_OK) == 0) return true;
    return false;
}

namespace {

// Starts Xvfb on display :number and answers its pid, or 0 when it did not
// report that it takes connections (the number was taken, or it failed).
pid_t startServer(int number, const std::string& screen) {
    int ends[2];
    if (pipe(ends) != 0) return 0;
    const std::string fd = std::to_string(ends[1]);
    std::vector<std::string> args = {"Xvfb", ":" + std::to_string(number), "-displayfd", fd,
                                     "-screen", "0", screen, "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t server = 0;
    const int failed = posix_spawnp(&server, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        close(ends[0]);
        return 0;
    }
    // The server writes its display number when it takes connections, and
    // closes the pipe without a word when it cannot have that number.
    std::string reported;
    pollfd ready{ends[0], POLLIN, 0};
    while (poll(&ready, 1, 10000) > 0) {
        char c = 0;
        if (read(ends[0], &c, 1) != 1 || c == '\n') break;
        reported += c;
    }
    close(ends[0]);
    if (reported == std::to_string(number)) return server;
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return 0;
}

}  // namespace

XvfbServer::XvfbServer(int width, int height) {
    if (!installed()) return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // Numbers spread over 100..999 from a start of this process's own: a
    // server that has just stopped may still remove the socket of its
    // number while it goes, so a test that took the lowest free number (as
    // Xvfb's own choice does) could lose its server to another test's.
    const int start = static_cast<int>((getpid() * 7919u + static_cast<unsigned>(time(nullptr))) % 900u);
    for (int attempt = 0; attempt < 20 && !server; ++attempt) {
        const int number = 100 + (start + attempt * 37) % 900;
        server = startServer(number, screen);
        if (server) display = ":" + std::to_string(number);
    }
}

XvfbServer::~XvfbServer() {
    if (server <= 0) return;
    ::kill(server, SIGTERM);
    int status = 0;
    waitpid(server, &status, 0);
}

void XvfbServer::kill() {
    if (server <= 0) return;
    ::kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
    server = 0;
}

}  // namespace toolkit_test
