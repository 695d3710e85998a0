#pragma once
// Shows a folder path kept as a string value of the product's settings
// (the editor shows "librarypath" with it).  The value is read once, when
// the view is built; "not set" stands for a missing value.  A path wider
// than the view shows its end behind two dots ("../drums").  GUI thread only.

#include <string>

#include "widgets/BWControl.h"

namespace VSTGUI {

class BWRegPathVisualizer : public BWControl {
public:
    static constexpr size_t kNameLimit = 31;
    static constexpr size_t kPathLimit = 1023;

    // Without a value name the view reads the value "none".
    BWRegPathVisualizer(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner,
                        const char* valueName);

    void draw(CDrawContext* context) override;

    // The text as drawn into the view's width; the context measures the
    // widget font's text (a picture font needs none).
    std::string shownText(CDrawContext* context) const;

    const std::string& getValueName() const { return valueName; }
    const std::string& getPathText() const { return pathText; }

private:
    int32_t measure(CDrawContext* context, const std::string& text) const;

    std::string valueName;
    std::string pathText = "not set";
};

}  // namespace VSTGUI
