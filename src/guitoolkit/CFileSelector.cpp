#include "guitoolkit/CFileSelector.h"

#include <algorithm>
#include <cstring>

#include "core/AudioEffectX.h"
#include "platform/FileDialogs.h"

namespace VSTGUI {

namespace {

std::vector<platform::FileDialogType> dialogTypes(const VstFileSelect& request) {
    std::vector<platform::FileDialogType> types;
    for (const VstFileType& t : request.fileTypes) types.push_back({t.name, "." + t.dosType, t.macType, t.unixType});
    return types;
}

platform::FileDialogStyle styleOf(int32_t command) {
    switch (command) {
        case kFileSave: return platform::FileDialogStyle::Save;
        case kMultipleFilesLoad: return platform::FileDialogStyle::LoadMany;
        case kDirectorySelect: return platform::FileDialogStyle::Folder;
        default: return platform::FileDialogStyle::Load;
    }
}

char* copyOf(const std::string& text) {
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

std::vector<platform::FileFilter> CFileSelector::filtersOf(const VstFileSelect& request) {
    return platform::buildFileFilters(dialogTypes(request));
}

CFileSelector::~CFileSelector() {
    if (!request) return;
    if (effect && effect->canHostDo("closeFileSelector"))
        effect->closeFileSelector(request);
    else
        freeAllocated();
}

void CFileSelector::freeAllocated() {
    if (request->reserved == 1) {
        delete[] request->returnPath;
        request->returnPath = nullptr;
        request->sizeReturnPath = 0;
        request->reserved = 0;
    }
    if (request->returnMultiplePaths) {
        for (int32_t i = 0; i < request->nbReturnPath; ++i) delete[] request->returnMultiplePaths[i];
        delete[] request->returnMultiplePaths;
        request->returnMultiplePaths = nullptr;
    }
}

void CFileSelector::storeReturnPath(const std::string& path) {
    if (request->returnPath && request->reserved != 1) {
        if (request->sizeReturnPath <= 0) return;
        const size_t room = static_cast<size_t>(request->sizeReturnPath) - 1;
        const size_t n = std::min(room, path.size());
        std::memcpy(request->returnPath, path.data(), n);
        request->returnPath[n] = '\0';
        return;
    }
    delete[] (request->reserved == 1 ? request->returnPath : nullptr);
    request->returnPath = copyOf(path);
    request->sizeReturnPath = static_cast<int32_t>(path.size() + 1);
    request->reserved = 1;
}

int32_t CFileSelector::run(VstFileSelect* selection, const char* initialFile) {
    if (!selection) return 0;
    request = selection;
    request->nbReturnPath = 0;
    if (request->returnPath && request->sizeReturnPath > 0) request->returnPath[0] = '\0';

    if (effect && effect->canHostDo("openFileSelector") && effect->canHostDo("closeFileSelector")) {
        request->initialPath += "Default";
        return effect->openFileSelector(request) ? request->nbReturnPath : 0;
    }

    platform::FileDialogRequest dialog;
    dialog.style = styleOf(request->command);
    dialog.title = request->title;
    dialog.initialFolder = request->initialPath;
    if (initialFile) dialog.initialFile = initialFile;
    if (request->command != kDirectorySelect) dialog.types = dialogTypes(*request);
    const platform::FileDialogResult result = platform::runFileDialog(dialog);
    if (!result.confirmed || result.paths.empty() || result.paths[0].empty()) return 0;

    if (request->command == kMultipleFilesLoad) {
        const auto count = static_cast<int32_t>(std::min<size_t>(result.paths.size(), kMaxReturnedPaths));
        request->returnMultiplePaths = new char*[count];
        for (int32_t i = 0; i < count; ++i) request->returnMultiplePaths[i] = copyOf(result.paths[i]);
        request->nbReturnPath = count;
        return count;
    }
    storeReturnPath(result.paths[0]);
    request->nbReturnPath = 1;
    return 1;
}

}  // namespace VSTGUI
