#pragma once
// A growable list of objects that the holder does not own, with the two
// broadcasts of the audio context.  No lock: the list is changed on the GUI
// thread and broadcast from the thread that changes tempo or rate.

#include <cstddef>
#include <vector>

#include "core/TimingListener.h"

class PointerList {
public:
    void append(TimingListener* object);
    // Removes the first occurrence and keeps the order of the rest; an absent
    // object is ignored.
    void remove(TimingListener* object);

    void notifyTiming() const;   // updateTiming on every object, in list order
    void notifyPrepare() const;  // prepare on every object, in list order

    size_t size() const { return objects.size(); }
    TimingListener* at(size_t index) const { return objects[index]; }

private:
    std::vector<TimingListener*> objects;
};
