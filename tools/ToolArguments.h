#pragma once
// The tools' command line (zorvane-factory, zorvane-demo-state, zorvane-gui-sheet): one
// path; -h or --help prints the usage, --version the version; any other
// option, a missing path or a second one is refused with the usage.

#include <cstdio>
#include <string>

struct ToolArguments {
    std::string path;
    int exitStatus = -1;  // 0 or more: the tool ends with it at once
};

inline ToolArguments readToolArguments(int argc, char** argv, const char* name, const char* usage) {
    ToolArguments out;
    std::string refusal;
    int paths = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "-h" || word == "--help") {
            std::fputs(usage, stdout);
            out.exitStatus = 0;
            return out;
        }
        if (word == "--version") {
            std::printf("%s %s\n", name, ZORVANE_VERSION);
            out.exitStatus = 0;
            return out;
        }
        if (word.size() > 1 && word[0] == '-') {
            if (refusal.empty()) refusal = "unknown option " + word;
        } else if (paths++ == 0) {
            out.path = word;
        } else if (refusal.empty()) {
            refusal = "takes one path, not also \"" + word + "\"";
        }
    }
    if (refusal.empty() && paths == 0) refusal = "wants a path";
    if (!refusal.empty()) {
        std::fprintf(stderr, "%s: %s\n%s", name, refusal.c_str(), usage);
        out.exitStatus = 2;
    }
    return out;
}
