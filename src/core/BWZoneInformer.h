#pragma once
// The listener list that every zone carries: whoever shows or follows a zone
// (the zone widget) registers here and is told after each change of the
// zone's range.  GUI thread only.

#include <vector>

class BWZone;

class BWZoneListener {
public:
    virtual ~BWZoneListener() = default;
    virtual void zoneChanged(BWZone* zone) = 0;
};

class BWZoneInformer {
public:
    virtual ~BWZoneInformer() = default;

    // The same listener may be added more than once; the list does not own it.
    virtual void addListener(BWZoneListener* listener);
    // Removes the first entry equal to listener, if any.
    virtual void removeListener(BWZoneListener* listener);
    virtual bool hasListener(BWZoneListener* listener) const;

protected:
    // Tells every listener in registration order.
    void notifyListeners(BWZone* zone);

private:
    std::vector<BWZoneListener*> listeners;
};
