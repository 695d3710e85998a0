#pragma once
// The reference-counted root of views, bitmaps, fonts and draw contexts.  The
// count starts at 1 for the maker; whoever stores a pointer to a shared object
// remembers it and forgets it when letting go; the last forget deletes.
// GUI thread only.

#include <cstdint>

namespace VSTGUI {

// Messages are compared by address, not by text: senders and receivers use
// these very constants.
inline constexpr char kMsgCheckIfViewContainer[] = "kMsgCheckIfViewContainer";
inline constexpr char kMsgNewFocusView[] = "kMsgNewFocusView";
inline constexpr char kMsgOldFocusView[] = "kMsgOldFocusView";
inline constexpr char kMsgLooseFocus[] = "LooseFocus";

class CBaseObject {
public:
    CBaseObject() = default;
    // A copy is a new object with its own count.
    CBaseObject(const CBaseObject&) : CBaseObject() {}
    CBaseObject& operator=(const CBaseObject&) = delete;

    virtual ~CBaseObject() = default;                                   // slot 0
    virtual void forget() {                                             // slot 1
        if (--refCount == 0) delete this;
    }
    virtual void remember() { ++refCount; }                             // slot 2
    virtual int32_t notify(CBaseObject* /*sender*/, const char* /*message*/) { return 0; }  // slot 3

    int32_t getNbReference() const { return refCount; }

private:
    int32_t refCount = 1;
};

// Holds a reference for a scope: an object that may be released while it
// handles something (an event, a closing edit) stays alive until that is done.
class Retained {
public:
    explicit Retained(CBaseObject* object) : object(object) {
        if (object) object->remember();
    }
    ~Retained() {
        if (object) object->forget();
    }
    Retained(const Retained&) = delete;
    Retained& operator=(const Retained&) = delete;

private:
    CBaseObject* object;
};

}  // namespace VSTGUI
