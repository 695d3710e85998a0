#include "platform/DragOut.h"

#include "platform/ReplaceableHandler.h"

namespace platform {
namespace {

ReplaceableHandler<DragOutReceiver> receiver;

}  // namespace

uint32_t dragFileOut(const DragOutRequest& request) {
    const DragOutReceiver take = receiver.current();
    return take ? take(request) : kDropEffectNone;
}

DragOutReceiver setDragOutReceiver(DragOutReceiver replacement) { return receiver.replace(std::move(replacement)); }

}  // namespace platform
