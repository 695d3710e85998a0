#pragma once
// Moves and shows or hides a set of widgets together: each member keeps a
// base position, and the group places every member at its base plus a
// scaled offset and sets their visibility from one value.  GUI thread only.

#include <cstdint>
#include <vector>

namespace VSTGUI {

class BWControl;

struct ViewGroup {
    struct Member {
        BWControl* widget;
        int32_t left;
        int32_t top;
    };

    float offsetX = 0.0f;
    float offsetY = 0.0f;
    float visibility = 0.0f;  // above 0: visible
    std::vector<Member> members;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int32_t redrawMode = 0;  // 1: mark the frame dirty after each change

    // Places the members at (x, y) in offset units; a visibility of 0 or
    // more shows (above 0) or hides them, a negative one leaves them.
    void setPosition(float x, float y, float visibility);
};

// Places every member again at the group's current offset and visibility.
void nudgeViewGroup(ViewGroup& group);

}  // namespace VSTGUI
