#include "support/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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

XvfbServer::XvfbServer(int width, int height) {
    if (!installed()) return;
    int ends[2];
    if (pipe(ends) != 0) return;
    const std::string fd = std::to_string(ends[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::vector<std::string> args = {"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&server, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        server = 0;
        close(ends[0]);
        return;
    }
    // The server writes its display number when it takes connections.
    std::string number;
    pollfd ready{ends[0], POLLIN, 0};
    while (poll(&ready, 1, 10000) > 0) {
        char c = 0;
        if (read(ends[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(ends[0]);
    if (!number.empty()) display = ":" + number;
}

XvfbServer::~XvfbServer() {
    if (server <= 0) return;
    kill(server, SIGTERM);
    int status = 0;
    waitpid(server, &status, 0);
}

}  // namespace toolkit_test
