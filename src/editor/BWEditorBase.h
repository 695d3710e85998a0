#pragma once
// The editor base of the plug-in's editor: the editor base of the view
// toolkit (window, zoom, idle pacing) with the operations that the frame and
// the widgets ask of the plug-in's editor: pages, the shared images, the
// picture fonts, a redraw of everything, the system information and the
// key blocking of text fields.  GUI thread only.

#include <cstdint>

#include "guitoolkit/AEffGUIEditor.h"

class BWSystemInfo;

namespace VSTGUI {
class BWPictureFont;
class CBitmap;
}  // namespace VSTGUI

class BWEditorBase : public AEffGUIEditor {
public:
    explicit BWEditorBase(AudioEffect* effect) : AEffGUIEditor(effect) {}

    // A text field holds the keyboard: the editor ignores keys meanwhile.
    void setKeyInputBlocked(bool blocked) override { keyInputBlocked = blocked; }
    virtual void setPageVisible(int32_t page, bool visible) = 0;
    virtual void hidePage(int32_t page) = 0;
    virtual bool isPageVisible(int32_t page) const = 0;
    // The shared image of a resource id; null outside 1000..1121.
    virtual VSTGUI::CBitmap* getBitmap(int32_t id) const = 0;
    // One full redraw of the open frame at its next idle.
    virtual void requestRefresh() = 0;
    virtual BWSystemInfo* getSystemInfo() const = 0;
    virtual VSTGUI::BWPictureFont* const* getPictureFontTable() const = 0;

protected:
    bool keyInputBlocked = false;
};
