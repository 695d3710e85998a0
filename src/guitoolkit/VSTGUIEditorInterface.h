#pragma once
// The editor as the frame and its views see it.  The editor base gives these
// their work; the defaults are neutral so that a frame without an editor, and
// tests, run.  GUI thread only.

#include <cstdint>

namespace VSTGUI {

class VSTGUIEditorInterface {
public:
    virtual void doIdleStuff() {}
    virtual int32_t getKnobMode() const { return 0; }
    virtual void beginEdit(int32_t /*index*/) {}
    virtual void endEdit(int32_t /*index*/) {}
    virtual ~VSTGUIEditorInterface() = default;

    // The window zoom's total factor: window pixels per design pixel.
    virtual float getZoomFactor() const { return 1.0f; }
    // The editor stops taking keys while a text field has them.
    virtual void setKeyInputBlocked(bool /*blocked*/) {}
};

}  // namespace VSTGUI
