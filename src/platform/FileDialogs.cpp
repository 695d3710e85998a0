#include "platform/FileDialogs.h"

#include "platform/ReplaceableHandler.h"

namespace platform {
namespace {

ReplaceableHandler<FileDialogHandler> handler;

}  // namespace

FileDialogResult runFileDialog(const FileDialogRequest& request) {
    const FileDialogHandler run = handler.current();
    return run ? run(request) : FileDialogResult{};
}

FileDialogHandler setFileDialogHandler(FileDialogHandler replacement) { return handler.replace(std::move(replacement)); }

}  // namespace platform
