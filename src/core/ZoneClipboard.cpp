#include "core/ZoneClipboard.h"

namespace {

BWZoneHandler*& copySourceSlot() {
    static BWZoneHandler* source = nullptr;
    return source;
}

BWZoneHandlerInterface*& containerCopySourceSlot() {
    static BWZoneHandlerInterface* source = nullptr;
    return source;
}

}  // namespace

std::vector<BWZoneHandler*>& allZoneHandlers() {
    static std::vector<BWZoneHandler*> handlers;
    return handlers;
}

std::vector<BWZoneHandlerInterface*>& allZoneContainers() {
    static std::vector<BWZoneHandlerInterface*> containers;
    return containers;
}

BWZoneHandler* zoneCopySource() { return copySourceSlot(); }

void setZoneCopySource(BWZoneHandler* handler) { copySourceSlot() = handler; }

BWZoneHandlerInterface* zoneContainerCopySource() { return containerCopySourceSlot(); }

void setZoneContainerCopySource(BWZoneHandlerInterface* container) { containerCopySourceSlot() = container; }

BWCopyHelper& zoneClipboard() {
    // Statics are destroyed in the reverse order of their construction: the
    // registries are built first so that they are still there when the
    // clipboard's copies unregister at exit.
    allZoneHandlers();
    allZoneContainers();
    static BWCopyHelper clipboard(BWCopyHelper::KeyField::own);
    return clipboard;
}
