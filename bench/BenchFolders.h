#pragma once
// The benchmarks' own settings and documents: one temporary folder per run
// of the program, so that the user's are never touched.  (Not removed: the
// process ends with the benchmarks.)

#include <cstdlib>
#include <filesystem>
#include <string>

#include "factory/FactoryContent.h"

// Points the settings store and the documents folder into the folder, made
// at the first call, and answers it.
inline const std::filesystem::path& useTemporaryUserFolders() {
    static const std::filesystem::path root = [] {
        char pattern[] = "/tmp/zorvane-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::filesystem::path(made ? made : "/tmp");
    }();
    setenv("ZORVANE_SETTINGS_DIR", (root / "settings").c_str(), 1);
    setenv("ZORVANE_DOCUMENTS_DIR", (root / "Documents").c_str(), 1);
    return root;
}

// The factory content in that folder, written at the first call: its
// folder.
inline const std::filesystem::path& benchFolder() {
    static const std::filesystem::path& root = []() -> const std::filesystem::path& {
        const std::filesystem::path& folder = useTemporaryUserFolders();
        std::string error;
        writeFactoryContent(folder / "content", error);
        return folder;
    }();
    return root;
}
