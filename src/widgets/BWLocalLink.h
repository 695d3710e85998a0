#pragma once
// The manual link: a two-frame picture that opens a document with the
// desktop's program for it when it is clicked.  Without a path of its own it
// opens the manual, "Manual.htm" in the folder "Manual" under the folder of
// the "installpath" setting (or just that folder when folder-only).  The
// press shows the second frame; a release inside opens the document, or,
// where nothing is at its path, says so in a message box.  GUI thread only.

#include <string>

#include "widgets/BWControl.h"

namespace VSTGUI {

class BWLocalLink : public BWControl {
public:
    BWLocalLink(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, const char* path,
                bool folderOnly);

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;

    // The manual's path for an "installpath" value; "empty" stands for a
    // missing value.
    static std::string manualPath(bool folderOnly);
    // What the user is told when the manual is not at its path.
    static constexpr const char* kManualMissing = "The manual is not installed.";

    const std::string& getPath() const { return path; }
    bool isPressed() const { return pressed != 0; }

    // A bitmap of its own, drawn instead of the view background while set.
    CBitmap* ownBitmap = nullptr;  // not owned
    bool useOwnBitmap = false;

private:
    void setPressed(int32_t value);

    std::string path;
    std::string missingText;  // told when nothing is at the path
    int32_t pressed = 0;
};

}  // namespace VSTGUI
