#include "core/BWZoneInformer.h"

#include <algorithm>

void BWZoneInformer::addListener(BWZoneListener* listener) { listeners.push_back(listener); }

void BWZoneInformer::removeListener(BWZoneListener* listener) {
    auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end()) listeners.erase(found);
}

bool BWZoneInformer::hasListener(BWZoneListener* listener) const {
    return std::find(listeners.begin(), listeners.end(), listener) != listeners.end();
}

void BWZoneInformer::notifyListeners(BWZone* zone) {
    // A listener may unregister itself while it is told; walk a copy.
    const std::vector<BWZoneListener*> current = listeners;
    for (BWZoneListener* listener : current) listener->zoneChanged(zone);
}
