#pragma once
// Edits key zones: ranges [start, end] of keys that a zone handler of the
// core keeps sorted.  The view shows a window of consecutive keys (one cell
// each, scrolled by an outside float); a click on a free key creates a zone
// there, a press on a zone moves it or drags one of its edges (pushing the
// neighbour with Shift or pushAlways), and a right or double click deletes
// it.  Each edit is bracketed for the listener: the value is 1.0 while it is
// under way and 0.0 when it ends.  Zones stay inside the lowest key .. key
// limit and the keys a zone may hold.  It is the listener of three
// companion buttons (delete all, copy, paste).  GUI thread only.

#include <cstdint>

#include "guitoolkit/CControlListener.h"
#include "widgets/BWControl.h"

class BWZone;
class BWZoneHandlerInterface;

namespace VSTGUI {

class BWOptionMenuBase;

class BWZoneView : public BWControl, public CControlListener {
public:
    static constexpr int32_t kDeleteAllTag = 10064;
    static constexpr int32_t kCopyTag = 10066;
    static constexpr int32_t kPasteTag = 10067;

    using DrawHook = void (*)(CDrawContext* context, BWZone* zone);
    using AfterZoneHook = void (*)(CDrawContext* context, BWZone* zone, const CRect& rect, int32_t firstKey,
                                   int32_t pieces);

    BWZoneView(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner,
               BWZoneHandlerInterface* handler);
    ~BWZoneView() override;

    void draw(CDrawContext* context) override;
    void invalid() override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    int32_t onKeyDown(VstKeyCode&) override { return 0; }
    int32_t onKeyUp(VstKeyCode&) override { return 0; }
    void idle(int32_t argument) override;
    void setExtraPointer(void* menu) override;

    void valueChanged(CControl* control) override;

    int32_t firstVisibleKey() const;
    // The key under the point, or none (the margin beyond the last cell).
    bool keyAt(const CPoint& where, int32_t& key) const;
    // The cell of a visible key position (0 .. visibleKeys - 1).
    CRect keyCell(int32_t cell) const;
    void setZoneBitmap(CBitmap* bitmap);
    BWZone* getDraggedZone() const { return dragged; }
    bool isMoving() const { return moveMode; }
    bool isDraggingStartEdge() const { return dragStartEdge; }

    DrawHook customDraw = nullptr;
    AfterZoneHook afterZone = nullptr;
    BWZoneHandlerInterface* handler;
    CColor zoneColourFrom;
    CColor zoneColourTo;
    CColor frameColour;
    const float* scroll = nullptr;
    int32_t previewStart = -1;
    int32_t previewEnd = -1;
    uint32_t previewKind = 0;
    int32_t visibleKeys = 48;
    uint32_t newZoneKind = 0;
    int32_t keyLimit = 128;
    int32_t lowestKey = 0;
    uint8_t alpha = 0;
    bool deleteEnabled = true;
    bool createOnClick = true;
    bool pushAlways = false;
    bool frameZones = true;
    bool doubleClickDeletes = true;

private:
    float cellWidth() const;
    // visibleKeys held to what key sums can take.
    int32_t visibleCount() const;
    // The keys a zone may take: the view's limits within the handler's.
    int32_t lowKey() const;
    int32_t highKey() const;
    bool ownedByOther(int32_t key, BWZone* except) const;
    void startDrag(BWZone* zone, int32_t key, const CButtonState& buttons);
    int32_t pressOutsideCells(const CPoint& where, const CButtonState& buttons);
    // A new one-key zone at the key; null when the handler did not take it.
    BWZone* createZoneAt(int32_t key);
    void growToKey(BWZone* zone, int32_t key);
    void dragStartEdgeTo(BWZone* zone, int32_t k);
    void dragEndEdgeTo(BWZone* zone, int32_t k);
    void moveTo(BWZone* zone, int32_t k);
    void endEdit();
    void report(float v);
    void drawZones(CDrawContext* context);
    void drawZoneFill(CDrawContext* context, BWZone* zone, size_t index, const CRect& rect);
    void drawZonePieces(CDrawContext* context, BWZone* zone, size_t index, int32_t first, int32_t last,
                        uint8_t pieceAlpha);
    void drawGhost(CDrawContext* context);
    void drawPreview(CDrawContext* context);

    BWOptionMenuBase* menu = nullptr;
    CBitmap* zoneBitmap = nullptr;
    BWZone* dragged = nullptr;
    int32_t currentKey = 0;
    int32_t grabOffset = 0;
    uint64_t lastLane = UINT64_MAX;
    bool moveMode = false;
    bool dragStartEdge = false;
    bool pushNeighbours = false;
};

}  // namespace VSTGUI
