#include "platform/InteractiveFileDialogs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "platform/FileFilters.h"

extern char** environ;

namespace platform {

namespace {

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

std::string startPath(const FileDialogRequest& request) {
    std::string path = request.initialFolder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + request.initialFile;
}

// Both programs take a filter's patterns apart at blanks.
std::string spaced(std::string patterns) {
    std::replace(patterns.begin(), patterns.end(), ';', ' ');
    return patterns;
}

// How long a dialog program asked to end (SIGTERM) may take to tidy up
// before it, and what it started, is killed.
constexpr int kEndGraceMs = 500;
constexpr int kEndCheckMs = 10;

// A stop was asked through the descriptor.
bool stopAsked(int stop) {
    pollfd asked{stop, POLLIN, 0};
    return stop >= 0 && poll(&asked, 1, 0) > 0 && (asked.revents & POLLIN);
}

void reap(pid_t child, int& status) {
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

// Ends the dialog program and its process group: asked first, killed when
// it has not ended within the grace, reaped.  The group's id stays the
// program's until it is reaped, so that no other process can be hit.
void endDialogProgram(pid_t child) {
    kill(-child, SIGTERM);
    for (int waited = 0; waited < kEndGraceMs; waited += kEndCheckMs) {
        siginfo_t ended{};
        if (waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == child) break;
        const timespec step{0, kEndCheckMs * 1000000L};
        nanosleep(&step, nullptr);
    }
    // What ignored the request, and what the program started and left.
    kill(-child, SIGKILL);
    int status = 0;
    reap(child, status);
}

// Reads the program's output until it closes it; false, with the program
// ended, when a stop is asked first.
bool collect(int output, pid_t child, int stop, std::string& collected) {
    char buffer[4096];
    for (;;) {
        pollfd watched[2] = {{output, POLLIN, 0}, {stop, POLLIN, 0}};
        // A signal cuts the poll short (EINTR): the loop then looks again.
        if (poll(watched, stop >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) continue;
            return true;
        }
        if (stop >= 0 && watched[1].revents) {
            if (watched[1].revents & POLLIN) {
                endDialogProgram(child);
                return false;
            }
            stop = -1;  // closed, or its writer gone: no stop can come through it
        }
        if (!watched[0].revents) continue;
        const ssize_t n = read(output, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        collected.append(buffer, static_cast<size_t>(n));
    }
}

// Runs the program and collects its standard output; its exit status, -1
// when it cannot run or a stop ended it.
int runCollecting(const std::vector<std::string>& command, int stop, std::string& output) {
    if (stopAsked(stop)) return -1;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    // A group of its own, so that a stop ends what the program starts too;
    // without a stop descriptor it stays in ours, so that Ctrl-C at the
    // terminal still reaches it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    short flags = POSIX_SPAWN_SETSIGMASK;
    if (stop >= 0) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    posix_spawnattr_setflags(&attributes, flags);
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed != 0) {
        close(pipeEnds[0]);
        return -1;
    }
    const bool finished = collect(pipeEnds[0], child, stop, output);
    close(pipeEnds[0]);
    if (!finished) return -1;
    int status = 0;
    reap(child, status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::vector<std::string> dialogCommand(const std::string& program, const FileDialogRequest& request) {
    const std::vector<FileFilter> filters = buildFileFilters(request.types);
    std::vector<std::string> command{program};
    if (program == "zenity") {
        command.insert(command.end(), {"--file-selection", "--title=" + request.title, "--filename=" + startPath(request)});
        if (request.style == FileDialogStyle::Save) command.insert(command.end(), {"--save", "--confirm-overwrite"});
        if (request.style == FileDialogStyle::LoadMany) command.insert(command.end(), {"--multiple", "--separator=\n"});
        if (request.style == FileDialogStyle::Folder) command.push_back("--directory");
        if (request.style != FileDialogStyle::Folder)
            for (const FileFilter& f : filters) command.push_back("--file-filter=" + f.label + " | " + spaced(f.pattern));
        return command;
    }
    std::string filter;
    // Appended piece by piece: a temporary joined from a literal made GCC's
    // -Wrestrict see an overlapping copy of impossible length.
    for (const FileFilter& f : filters) {
        if (!filter.empty()) filter += '\n';
        filter += spaced(f.pattern);
        filter += '|';
        filter += f.label;
    }
    switch (request.style) {
        case FileDialogStyle::Save: command.insert(command.end(), {"--getsavefilename", startPath(request), filter}); break;
        case FileDialogStyle::Folder: command.insert(command.end(), {"--getexistingdirectory", startPath(request)}); break;
        case FileDialogStyle::LoadMany:
            command.insert(command.end(), {"--multiple", "--separate-output", "--getopenfilename", startPath(request), filter});
            break;
        case FileDialogStyle::Load: command.insert(command.end(), {"--getopenfilename", startPath(request), filter}); break;
    }
    command.insert(command.end(), {"--title", request.title});
    return command;
}

FileDialogResult runInteractiveFileDialog(const FileDialogRequest& request, int stopDescriptor) {
    std::string program;
    for (const char* candidate : {"zenity", "kdialog"})
        if (onPath(candidate)) {
            program = candidate;
            break;
        }
    FileDialogResult result;
    std::string output;
    if (program.empty() || runCollecting(dialogCommand(program, request), stopDescriptor, output) != 0) return result;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) result.paths.push_back(line);
    if (request.style != FileDialogStyle::LoadMany && result.paths.size() > 1) result.paths.resize(1);
    result.confirmed = !result.paths.empty();
    return result;
}

void useInteractiveFileDialogs() {
    setFileDialogHandler([](const FileDialogRequest& request) { return runInteractiveFileDialog(request); });
}

}  // namespace platform
