#include "platform/DragOut.h"

#include <dlfcn.h>

#include "platform/ModalWait.h"
#include "platform/ReplaceableHandler.h"

namespace platform {
namespace {

ReplaceableHandler<DragOutReceiver> receiver;

}  // namespace

uint32_t dragFileOut(const DragOutRequest& request) {
    // The person drags and drops meanwhile.
    const ModalWait waiting;
    if (const DragOutReceiver take = receiver.current()) return take(request);
    if (auto host = reinterpret_cast<HostDropReceiver>(dlsym(RTLD_DEFAULT, kHostDropReceiver)))
        return host(request.path.c_str(), request.allowedEffects);
    return kDropEffectNone;
}

DragOutReceiver setDragOutReceiver(DragOutReceiver replacement) { return receiver.replace(std::move(replacement)); }

}  // namespace platform
