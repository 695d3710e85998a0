#pragma once
// Runs one file or folder selection for the plug-in: through the host's
// selector when the host can do both "openFileSelector" and
// "closeFileSelector", otherwise through the system's file dialogs (the
// platform layer's handler).  The chosen path of one file, a save or a
// folder goes into the request's return path; several files into a list of
// at most 1024 paths.  Paths are whole, however long; a caller's own return
// buffer gets as much as fits, ended by a zero.  The destructor frees what
// the selector allocated.  Host/GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "guitoolkit/VstFileSelect.h"
#include "platform/FileFilters.h"

class AudioEffectX;

namespace VSTGUI {

class CFileSelector {
public:
    static constexpr int32_t kMaxReturnedPaths = 1024;

    explicit CFileSelector(AudioEffectX* effect) : effect(effect) {}
    ~CFileSelector();
    CFileSelector(const CFileSelector&) = delete;
    CFileSelector& operator=(const CFileSelector&) = delete;

    // Answers the number of paths returned (0 when cancelled or refused).
    int32_t run(VstFileSelect* request, const char* initialFile = nullptr);

    // The type filters the system dialog shows for a request.
    static std::vector<platform::FileFilter> filtersOf(const VstFileSelect& request);

private:
    void storeReturnPath(const std::string& path);
    void freeAllocated();

    AudioEffectX* effect;
    VstFileSelect* request = nullptr;
};

}  // namespace VSTGUI
