#include "platform/DragOut.h"

#include <mutex>

namespace platform {
namespace {

std::mutex receiverMutex;
DragOutReceiver installedReceiver;

}  // namespace

uint32_t dragFileOut(const DragOutRequest& request) {
    DragOutReceiver receiver;
    {
        std::lock_guard<std::mutex> lock(receiverMutex);
        receiver = installedReceiver;
    }
    return receiver ? receiver(request) : kDropEffectNone;
}

DragOutReceiver setDragOutReceiver(DragOutReceiver receiver) {
    std::lock_guard<std::mutex> lock(receiverMutex);
    DragOutReceiver previous = std::move(installedReceiver);
    installedReceiver = std::move(receiver);
    return previous;
}

}  // namespace platform
