#pragma once
// Shows and edits one step table of the core (a BWTable or a BWTableXY
// lane) in place: free painting, straight lines from the press point
// (Control), fine adjustment of one step (Shift), shifting every step (Alt),
// toggling (toggle tables), dragging the play range on its bar, the wheel,
// and a popup menu on the right button.  It draws the table as a pixel-buffer
// curve, as one frame of a step strip per step, or as bars or a curve with a
// grid, a ruler, the play range and the play position.  The table's flag word
// chooses all of this (the bits below).
//
// Step values never reach the listener: they go straight into the table,
// which the core reads.  The listener hears play-range edits only.  The
// view is also the listener of its four companion buttons (copy, paste,
// random, reset), which act on the table at exactly 1.0.
//
// While it reads or writes the points the view holds the table's in-use
// mark (BWTable::setViewInUse), never across calls.  GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/BWBufferDraw.h"
#include "guitoolkit/CControlListener.h"
#include "widgets/BWControl.h"

class BWTable;

namespace VSTGUI {

class BWOptionMenuBase;

class BWTableView : public BWControl, public CControlListener {
public:
    // What the table's flag word means to the view.
    enum TableFlag : uint32_t {
        kLocked = 0x1,
        kInEdit = 0x2,
        kCurve = 0x8,
        kBarGap2 = 0x10,
        kLayoutBit = 0x20,
        kLabelStrip = 0x40,
        kRangeBar = 0x80,
        kContinuousX = 0x100,
        kCurveFilled = 0x200,
        kBipolar = 0x400,
        kToggle = 0x800,
        kInteger = 0x8000,
        kDottedOutline = 0x10000,
        kEditable = 0x20000,
        kWatchPlay = 0x40000,
        kPixelBuffer = 0x100000,
        kNoBackground = 0x200000,
        kBarBitmapAlternative = 0x400000,
        kCacheValues = 0x800000,
        kJoinTops = 0x1000000,
    };
    enum CompanionTag : int32_t { kCopyTag = 10058, kPasteTag = 10059, kRandomTag = 10060, kResetTag = 10061 };
    static constexpr int32_t kCompanions = 4;

    // The play range the bar below the steps shows and edits.
    struct PlayRange {
        float start = 0.0f;
        float end = -1.0f;  // below 0: the step count
        uint32_t barHeight = 10;
        uint32_t minimumLength = 1;
        float gridLength = 0.0f;  // grid units; 0: one per four steps
    };

    BWTableView(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, uint8_t layoutFlag);
    ~BWTableView() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    int32_t onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    int32_t onMouseExited(CPoint& where, const CButtonState& buttons) override;
    using CView::onWheel;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    void idle(int32_t argument) override;
    void setViewSizeWithMargins(CRect& rect) override;
    // The popup menu, as a BWOptionMenuBase*.
    void setExtraPointer(void* menu) override;
    virtual void setTable(BWTable* table);  // 98

    // Companion buttons: the view owns them, hears them and gives them its
    // presses and idle.  Slots 0 .. kCompanions - 1.
    void setCompanion(int32_t slot, BWControl* control);
    void valueChanged(CControl* control) override;

    BWTable* getTable() const { return table; }
    // x to a step position, y to a normalised value (zoom and scroll applied).
    float positionAt(int32_t x) const;
    float normalizedAt(int32_t y) const;
    const CRect& getStepArea() const { return stepArea; }
    const CRect& getLabelStrip() const { return labelStrip; }
    const CRect& getRangeBar() const { return rangeBar; }
    float rangeStart() const { return playRange.start; }
    float rangeEnd() const;
    // Recomputes the columns of the curve buffer and renders it.
    void computeCurveBuffer();
    const BWBufferDraw& getCurveBuffer() const { return curveBuffer; }
    bool isDragging() const { return dragging; }

    void setBarBitmap(CBitmap* bitmap);
    void setStepBitmap(CBitmap* bitmap, uint64_t frames);
    void setCurrentStepBitmap(CBitmap* bitmap);

    CColor backgroundColour{140, 140, 140, 140};
    CColor barColour{40, 40, 40, 40};
    CColor lineColour{40, 40, 40, 40};
    CColor highlightColour{40, 40, 40, 40};
    CColor rulerColour{140, 254, 140, 140};
    BWTable* secondTable = nullptr;
    float* touchFlag = nullptr;
    // An outside value (a rate) that stretches each step's ramp in the curve buffer.
    const float* watchedValue = nullptr;
    // Pixel heights indexed by value - minimum, for integer step tables.
    const float* heightLookup = nullptr;
    uint32_t heightLookupLength = 0;
    float verticalZoom = 0.0f;
    float horizontalZoom = 0.0f;
    float verticalScroll = 0.5f;
    float horizontalScroll = 0.0f;
    // Step strips lie side by side (else stacked).
    bool horizontalStrip = false;
    PlayRange playRange;

private:
    struct Span {
        uint64_t first;
        uint64_t visible;
    };
    uint32_t flags() const;
    bool has(uint32_t bit) const { return (flags() & bit) != 0; }
    uint64_t stepCount() const;
    Span visibleSpan() const;
    bool continuousX() const { return has(kContinuousX) && !has(kCurve); }
    // The step under x, within the table.
    uint64_t stepAt(int32_t x) const;
    int32_t xOfPosition(float position) const;
    int32_t yOfNormalized(float normalized) const;
    void layOut();
    void recomputeIfBuffered();
    void noteTouch(float v);
    void setPoint(uint64_t step, float normalized);

    int32_t pressOnRangeBar(const CPoint& where);
    void openMenu(const CPoint& where);
    void pressToPaint(const CPoint& where, const CButtonState& buttons);
    void dragRange(const CPoint& where);
    void storeRange(float start, float end);
    void paintTo(const CPoint& previous, const CPoint& where);
    void clearRangeDrag();

    void followTable();
    void paint(CDrawContext* context);
    void drawStepBitmaps(CDrawContext* context);
    void drawBackground(CDrawContext* context);
    void drawCurve(CDrawContext* context, BWTable& source, const CColor& colour, int32_t width, bool filled,
                   bool notePlay);
    void drawBars(CDrawContext* context);
    void drawGrid(CDrawContext* context);
    void drawRuler(CDrawContext* context);
    void drawRangeAndPlay(CDrawContext* context);
    int64_t playingStep() const;
    float gridLength() const;
    // Zoom and scroll as 0..1 (NaN as 0).
    static float unitInterval(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

    BWTable* table = nullptr;
    BWOptionMenuBase* menu = nullptr;
    BWControl* companions[kCompanions] = {};
    // The companion that took the press the view was given, until its release.
    BWControl* pressedCompanion = nullptr;
    CBitmap* barBitmap = nullptr;
    CBitmap* stepBitmap = nullptr;
    CBitmap* currentStepBitmap = nullptr;
    uint64_t stepFrames = 16;
    BWBufferDraw curveBuffer;
    std::vector<float> scratch;  // normalised values when a shift-all drag starts
    std::vector<float> cachedValues;
    CRect stepArea;
    CRect labelStrip;
    CRect rangeBar;
    CPoint lastMouse;
    CPoint accumulated;
    float watchedLast = 0.0f;
    uint64_t lastPage = 0;
    float lastPosition = 0.0f;
    float pressValue = 0.0f;
    float offset = 0.0f;
    int32_t paintedMin = 0;
    int32_t paintedMax = 0;
    int32_t anchor = 0;
    uint64_t pressStep = 0;
    int32_t playColumn = -1;
    bool rangeDrag = false;
    bool trackedLayoutBit;
    bool startEdgeDrag = false;
    bool rangeMove = false;
    bool endEdgeDrag = false;
    bool dragging = false;
    bool needsRecompute = true;
    bool fineDrag = false;
    bool shiftAll = false;
    bool lineDrag = false;
    bool drawnOnce = false;
};

}  // namespace VSTGUI
