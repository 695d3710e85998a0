#pragma once
// What the widgets ask of the editor that built them, beyond edits (which go
// to their listener).  The widgets cannot see the plug-in object, so the
// editor answers for it; a widget finds this interface through its frame's
// editor (CFrame::getEditor) and does without it when the editor has none.
// GUI thread only.

#include <cstdint>

namespace VSTGUI {

class CFrame;

class BWWidgetEditor {
public:
    virtual ~BWWidgetEditor() = default;

    // The plug-in rescans its preset library (after a folder menu was refilled).
    virtual void reloadPresetLibrary() = 0;
    // Where the current program stands in the preset library: the bank
    // (counted after a menu's fixed entries) and the index within it.  False
    // when the library does not hold it.
    virtual bool lookupLibraryEntry(int32_t* bank, int32_t* index) = 0;

    // The interface of the frame's editor, or null.
    static BWWidgetEditor* of(const CFrame* frame);
};

}  // namespace VSTGUI
