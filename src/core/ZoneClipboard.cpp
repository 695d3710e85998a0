#include "core/ZoneClipboard.h"

namespace {

// Constant-initialised and never destroyed before the copies that unregister
// at exit.
std::mutex registriesLock;

BWZoneHandler*& copySourceSlot() {
    static BWZoneHandler* source = nullptr;
    return source;
}

BWZoneHandlerInterface*& containerCopySourceSlot() {
    static BWZoneHandlerInterface* source = nullptr;
    return source;
}

}  // namespace

std::unique_lock<std::mutex> lockZoneRegistries() { return std::unique_lock<std::mutex>(registriesLock); }

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
