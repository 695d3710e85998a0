#pragma once
// One entry of a folder scan: the folder that holds it (ending in a
// separator, so that folder + name is its path), its name, and two marks.

#include <cstdint>
#include <string>

struct BWDirHelper {
    std::string folder;
    std::string name;
    bool isFolder = false;
    uint8_t flag = 0;  // a mark for the scan's user; the scans set it to 0
};
