#pragma once
// The base of every widget of the interface: a control that registers with
// the frame that owns it, shows only while its page of the editor's page set
// is on, shows and hides hint views on the frame's clock, can make itself
// the frame's overlay, and carries the look shared by all widgets (colours,
// a font or a picture font, drawing margins, a drop shadow).
//
// A derived widget:
//   - passes its owner frame to the constructor, which registers it
//     (the frame's idle then gives it idle() through idleTick);
//   - sets controlType to its kind (kinds below) in its constructor;
//   - overrides draw, the mouse operations and idle (ending with
//     BWControl::idle, the hint tick), and the slots 79 to 97 it needs;
//   - reads the core floats it follows with loadShared (core/SharedFloat.h)
//     and reports edits with reportEdit/valueChanged.
// Configuration fields are public: the editor sets them after construction.
// GUI thread only.

#include <cstdint>
#include <vector>

#include "core/PageSet.h"
#include "guitoolkit/BWFrameWidget.h"
#include "guitoolkit/CColor.h"
#include "guitoolkit/CControl.h"

namespace VSTGUI {

class BWFrame;
class BWPictureFont;
class CDragContainer;
class CFontDesc;

// Eight edge pieces and a fill that frame a rectangle (drawPictureFrame).
struct BWPictureFrame {
    CBitmap* topLeft = nullptr;
    CBitmap* topRight = nullptr;
    CBitmap* top = nullptr;
    CBitmap* bottomLeft = nullptr;
    CBitmap* bottomRight = nullptr;
    CBitmap* bottom = nullptr;
    CBitmap* left = nullptr;
    CBitmap* right = nullptr;
    CColor fill = colourBlack;
    bool enabled = false;
    // Only the corners are drawn; the rest is filled.
    bool simple = false;
};

class BWControl : public CControl, public BWFrameWidget {
public:
    // Widget kinds (controlType).
    enum Kind : int32_t {
        kPlain = 0,
        kDisplay = 1,
        kKnob = 2,
        kOptionMenu = 3,
        kTempoField = 5,
        kButton = 7,
        kImage = 8,
        kViewContainer = 10,
        kMenuHelper = 11,
        kMouseArea = 13,
    };
    // Undo modes.
    enum UndoMode : int32_t { kNoUndo = 0, kParameterUndo = 1, kStateUndo = 2 };
    static constexpr int32_t kShadowStyle = 0x100;

    BWControl(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner,
              CBitmap* background = nullptr);
    ~BWControl() override;

    void draw(CDrawContext* context) override;
    bool isDirty() const override;
    void setVisible(bool visible) override;
    bool isVisible() const override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    int32_t onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool hitTest(const CPoint& where, const CButtonState& buttons) override;
    void looseFocus() override;
    CView* newCopy() const override { return nullptr; }  // widgets are not copied

    virtual bool dropObject(CDragContainer* drag, const CPoint& where);  // 79
    virtual void reservedHook() {}                                      // 80
    // Makes the widget the frame's overlay and its front-most child.
    virtual void activate(int32_t reason);                              // 81
    virtual void getTotalBounds(CRect& rect) const;                     // 82
    // Moves this (hint) widget beside the rectangle.
    virtual void placeHint(const CRect& rect);                          // 83
    virtual const char* getInfoText() const { return "no info"; }       // 84
    virtual bool isWidgetContainer() const { return false; }            // 85
    virtual int32_t getHeight() const { return size.height(); }         // 86
    // The frame's idle tick: hint deadlines (derived widgets first follow
    // their values, then call this).
    virtual void idle(int32_t argument);                                // 87
    // View size from the rectangle; the rectangle itself grows by the
    // margins and becomes the mouseable area.
    virtual void setViewSizeWithMargins(CRect& rect);                   // 88
    virtual void setViewSizeAndArea(const CRect& rect);                 // 89
    virtual void placeInParent(const CRect& rect);                      // 90
    virtual void setExtraPointer(void*) {}                              // 91
    virtual void setExtraInt1(int32_t) {}                               // 92
    virtual void setExtraInt2(int32_t) {}                               // 93
    virtual int32_t getExtraInt1() const { return -1; }                 // 94
    virtual int32_t getExtraInt2() const { return -1; }                 // 95
    // Hint views shown where they stand / placed beside this widget; both
    // start hidden.
    virtual void addLinkedControl(BWControl* control);                  // 96
    virtual void addPlacedControl(BWControl* control);                  // 97

    // BWFrameWidget
    int32_t getWidgetKind() const override { return controlType; }
    bool isWidgetVisible() const override { return widgetVisible; }
    CRect getExtent() const override { return size; }
    void idleTick(int32_t argument) override { idle(argument); }
    const PageSet* getPageSet() const override { return pageSet; }
    int32_t getPageIndex() const override { return pageIndex; }
    void ownerClosing() override { owner = nullptr; }

    void showHint();
    void hideHint();
    // The drop shadow right of and below the rectangle.
    void drawShadow(CDrawContext* context, const CRect& rect) const;
    static void drawPictureFrame(const BWPictureFrame& frame, CDrawContext* context, const CRect& rect);

    BWFrame* getOwner() const { return owner; }
    // The frame's clock in milliseconds (0 without an owner).
    int64_t frameTime() const;
    bool isHintShown() const { return hintShown; }
    int64_t getHintShowDeadline() const { return hintShowDeadline; }
    int64_t getHintHideDeadline() const { return hintHideDeadline; }
    const std::vector<BWControl*>& getLinkedControls() const { return linkedControls; }

    CColor fillColour = colourBlue;
    CColor textColour = colourWhite;
    // How far the widget may draw outside its rectangle: left, top, right, bottom.
    int32_t margins[4] = {0, 0, 0, 0};
    int32_t undoMode = kNoUndo;
    BWPictureFont* pictureFont = nullptr;
    const PageSet* pageSet = nullptr;
    CFontDesc* font = nullptr;
    int32_t styleFlags = 1;
    int32_t pageIndex = 0;
    int32_t controlType = kPlain;
    int32_t fontSize = 0;  // below 1: the font's own
    int32_t shadowAlpha = 128;
    int32_t shadowAlphaStep = -20;
    int32_t shadowWidth = 5;
    bool alphaDraw = false;
    // Brackets each change with beginEdit and endEdit.
    bool editNotify = true;
    bool hintPlaceable = true;

protected:
    // Hint deadlines of an entering and a leaving pointer.
    void armHintShow();
    void armHintHide();
    // The undo step of undoMode, through the core's system information.
    void recordUndoStep();
    void beginEditIfNotified();
    void endEditIfNotified();
    void reportValue();
    // The rectangle united with the total bounds of the linked hint views.
    void uniteWithLinked(CRect& rect) const;
    // Widget containers hide the hints of their children before activation
    // hides everyone's.
    virtual void hideChildHints() {}
    // A widget container records where its child stands inside it.
    virtual void recordChildOffset(BWControl* /*child*/, const CPoint& /*offset*/) {}
    // An image moves its picture rectangle instead of its view.
    virtual bool movePicture(const CPoint& /*topLeft*/) { return false; }

    BWFrame* owner = nullptr;
    CView* previousOverlay = nullptr;
    std::vector<BWControl*> linkedControls;
    std::vector<BWControl*> placedControls;
    int64_t hintHideDeadline = -1;
    int64_t hintShowDeadline = -1;
    bool widgetVisible = true;
    bool hintShown = false;
};

}  // namespace VSTGUI
