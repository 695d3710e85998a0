#include "core/BWFloatZone.h"

#include "core/BWFloatZoneHandler.h"

void BWFloatZone::rangeChanged() {
    if (handler != nullptr) handler->refreshMirrors();
}
