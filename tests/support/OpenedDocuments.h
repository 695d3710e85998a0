#pragma once
// Records the documents handed to the desktop while it lives, instead of
// opening them.

#include <string>
#include <vector>

#include "platform/ShellOpen.h"

struct OpenedDocuments {
    OpenedDocuments() {
        platform::setShellOpenHandler([this](const std::string& path) {
            paths.push_back(path);
            return true;
        });
    }
    ~OpenedDocuments() { platform::setShellOpenHandler({}); }
    OpenedDocuments(const OpenedDocuments&) = delete;
    OpenedDocuments& operator=(const OpenedDocuments&) = delete;
    std::vector<std::string> paths;
};
