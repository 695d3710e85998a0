#include "platform/FileDialogs.h"

#include <mutex>

namespace platform {
namespace {

std::mutex handlerMutex;
FileDialogHandler installedHandler;

}  // namespace

FileDialogResult runFileDialog(const FileDialogRequest& request) {
    FileDialogHandler handler;
    {
        std::lock_guard<std::mutex> lock(handlerMutex);
        handler = installedHandler;
    }
    return handler ? handler(request) : FileDialogResult{};
}

FileDialogHandler setFileDialogHandler(FileDialogHandler handler) {
    std::lock_guard<std::mutex> lock(handlerMutex);
    FileDialogHandler previous = std::move(installedHandler);
    installedHandler = std::move(handler);
    return previous;
}

}  // namespace platform
