#include "persistence/BWDropSource.h"

int32_t BWDropSource::QueryInterface(const InterfaceId& id, void** object) {
    if (!object) return kNoInterface;
    if (id == kUnknownId || id == kDropSourceId) {
        *object = this;
        AddRef();
        return 0;
    }
    *object = nullptr;
    return kNoInterface;
}

uint32_t BWDropSource::AddRef() { return ++references; }

uint32_t BWDropSource::Release() {
    const uint32_t left = --references;
    if (left == 0) delete this;
    return left;
}

int32_t BWDropSource::QueryContinueDrag(bool escapePressed, uint32_t keyState) {
    if (escapePressed) return platform::kDragCancel;
    if (keyState & (platform::kKeyLeftButton | platform::kKeyRightButton)) return platform::kDragContinue;
    return platform::kDragDrop;
}

int32_t BWDropSource::GiveFeedback(uint32_t) { return platform::kDragUseDefaultCursors; }
