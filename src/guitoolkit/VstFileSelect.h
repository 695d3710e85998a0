#pragma once
// A file selection request, as the plug-in hands it to the host's selector or
// to the system dialogs: the command, the file types, the title and initial
// path in, the chosen path or paths out.  The selector that fills it owns
// what it allocated (see CFileSelector).

#include <cstdint>
#include <string>
#include <vector>

namespace VSTGUI {

struct VstFileType {
    std::string name;      // shown in the type list
    std::string macType;
    std::string dosType;   // extension without the dot
    std::string unixType;
};

enum VstFileSelectCommand : int32_t { kFileLoad = 0, kFileSave = 1, kMultipleFilesLoad = 2, kDirectorySelect = 3 };

struct VstFileSelect {
    int32_t command = kFileLoad;
    std::vector<VstFileType> fileTypes;
    std::string title;
    std::string initialPath;
    // The chosen path: the caller's buffer of sizeReturnPath bytes, or, when
    // the caller gives none, one the selector allocates (reserved = 1).
    char* returnPath = nullptr;
    int32_t sizeReturnPath = 0;
    // Several files: a list the selector allocates.
    char** returnMultiplePaths = nullptr;
    int32_t nbReturnPath = 0;
    intptr_t reserved = 0;
};

}  // namespace VSTGUI
