#pragma once
// Points the settings and documents folders into a fresh temporary folder,
// made once per run, so that a benchmark never touches the user's own.

#include <cstdlib>
#include <filesystem>

inline void useTemporaryUserFolders() {
    static const std::filesystem::path root = [] {
        char pattern[] = "/tmp/zorvane-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::filesystem::path(made ? made : "/tmp");
    }();
    setenv("ZORVANE_SETTINGS_DIR", (root / "settings").c_str(), 1);
    setenv("ZORVANE_DOCUMENTS_DIR", (root / "Documents").c_str(), 1);
}
