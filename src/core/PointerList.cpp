#include "core/PointerList.h"

#include <algorithm>

void PointerList::append(TimingListener* object) { objects.push_back(object); }

void PointerList::remove(TimingListener* object) {
    auto found = std::find(objects.begin(), objects.end(), object);
    if (found != objects.end()) objects.erase(found);
}

void PointerList::notifyTiming() const {
    for (TimingListener* object : objects) object->updateTiming();
}

void PointerList::notifyPrepare() const {
    for (TimingListener* object : objects) object->prepare();
}
