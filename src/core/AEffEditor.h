#pragma once
// The editor as the plug-in object and its host see it.  The dispatchers and
// the effect's destructor reach the editor only through these operations; the
// view toolkit's editor base gives them their real work.  The defaults here
// are neutral: no rectangle, never opens, handles no input.
// Host/GUI thread only.

#include <cstdint>

#include "core/VstTypes.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect = nullptr) : effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    // Stores the address of the editor's rectangle in *rect.
    virtual bool getRect(ERect** /*rect*/) { return false; }
    virtual bool open(void* /*parentWindow*/) { return false; }
    virtual void close() {}
    virtual bool isOpen() { return false; }
    virtual void idle() {}
    virtual void draw(ERect* /*rect*/) {}
    virtual int32_t mouse(int32_t /*x*/, intptr_t /*y*/) { return 0; }
    virtual int32_t key(intptr_t /*keyCode*/) { return 0; }
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool setKnobMode(int32_t /*mode*/) { return false; }

protected:
    AudioEffect* effect;
};
