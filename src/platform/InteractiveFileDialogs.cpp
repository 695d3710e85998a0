#include "platform/InteractiveFileDialogs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

// Runs the program and collects its standard output; -1 when it cannot run.
int runCollecting(const std::vector<std::string>& command, std::string& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed != 0) {
        close(pipeEnds[0]);
        return -1;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof(buffer))) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        output.append(buffer, static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
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

FileDialogResult runInteractiveFileDialog(const FileDialogRequest& request) {
    std::string program;
    for (const char* candidate : {"zenity", "kdialog"})
        if (onPath(candidate)) {
            program = candidate;
            break;
        }
    FileDialogResult result;
    std::string output;
    if (program.empty() || runCollecting(dialogCommand(program, request), output) != 0) return result;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) result.paths.push_back(line);
    if (request.style != FileDialogStyle::LoadMany && result.paths.size() > 1) result.paths.resize(1);
    result.confirmed = !result.paths.empty();
    return result;
}

void useInteractiveFileDialogs() { setFileDialogHandler(runInteractiveFileDialog); }

}  // namespace platform
