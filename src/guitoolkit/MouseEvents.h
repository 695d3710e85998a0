#pragma once
// Button bits and answers of the mouse operations of views.

#include <cstdint>

namespace VSTGUI {

using CButtonState = int32_t;

enum MouseButton : int32_t {
    kLButton = 2,
    kMButton = 4,
    kRButton = 8,
    kShift = 16,
    kControl = 32,
    kAlt = 64,
    kApple = 128,  // tested beside the right button by some widgets; the window never sets it
    kButton4 = 256,
    kButton5 = 512,
    kDoubleClick = 1024,
};

// Answers of onMouseDown, onMouseUp and onMouseMoved.
enum MouseResult : int32_t {
    kMouseEventHandled = 1,     // the view wants the moves and the release of this press
    kMouseEventNotHandled = 2,  // the press passes on
    kMouseHandledNoMoves = 3,   // handled, no moves or release wanted
};

// Autosize flags of views (their effect lies with the container).
enum AutosizeFlag : int32_t {
    kAutosizeLeft = 1,
    kAutosizeTop = 2,
    kAutosizeRight = 4,
    kAutosizeBottom = 8,
    kAutosizeColumn = 16,
    kAutosizeRow = 32,
};

}  // namespace VSTGUI
