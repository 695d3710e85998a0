#include "platform/FileDialogs.h"

#include <cassert>

#include "platform/ModalWait.h"
#include "platform/ReplaceableHandler.h"

namespace platform {
namespace {

ReplaceableHandler<FileDialogHandler> handler;

}  // namespace

FileDialogResult runFileDialog(const FileDialogRequest& request) {
    if (modalWaitForbidden()) {
        assert(!"a file dialog opened where nobody may wait on it");
        return {};
    }
    const FileDialogHandler run = handler.current();
    const ModalWait waiting;
    return run ? run(request) : FileDialogResult{};
}

FileDialogHandler setFileDialogHandler(FileDialogHandler replacement) { return handler.replace(std::move(replacement)); }

}  // namespace platform
