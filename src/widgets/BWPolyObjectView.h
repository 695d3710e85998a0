#pragma once
// Draws a changing number of simple objects whose geometry and colours live
// in float arrays of the core (or the editor), and reports presses and drags
// on them to its listener.  It owns no model: the editor binds the object
// count and up to ten per-object inputs, and the view copies them as
// integers at each idle, redrawing when any changed.  Objects are sprites of
// a sheet (drawn directly or composited into an off-screen image), filled
// rectangles, lines or ellipses.
//
// Every input carries its length, so the number of objects never exceeds
// what the arrays hold; an input bound to one float serves every object.
// GUI thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "widgets/BWControl.h"

namespace VSTGUI {

// One bound input: an array of `length` floats, or one float shared by all
// objects.  Unbound: values null.
struct BWPolyInput {
    const float* values = nullptr;
    size_t length = 0;
    bool shared = false;

    static BWPolyInput array(const float* values, size_t length) { return {values, values ? length : 0, false}; }
    static BWPolyInput single(const float* value) { return {value, value ? 1u : 0u, true}; }
    bool bound() const { return values != nullptr; }
    float at(size_t i) const;
};

class BWPolyObjectView : public BWControl {
public:
    // The per-object inputs, in order.
    enum Input : int32_t { kX, kY, kWidth, kHeight, kAlpha, kSpriteX, kSpriteY, kRed, kGreen, kBlue, kInputCount };
    // The event record the listener reads.
    enum Event : int32_t { kPressed, kRightButton, kObjectIndex, kDeltaX, kDeltaY, kEventCount };
    enum DrawMode : int32_t { kSprites, kRects, kLines, kDottedLines, kEllipses, kDottedEllipses, kFilledEllipses,
                              kTint };

    // Limits compositing to every period-th draw of a frame tick.
    struct Throttle {
        int64_t lastTick = -1;
        int32_t period = 1;
        int32_t counter = 0;
    };

    BWPolyObjectView(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner);
    ~BWPolyObjectView() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    void idle(int32_t argument) override;
    void setViewSizeWithMargins(CRect& rect) override;

    void bindCount(const float* count) { countSource = count; }
    void bind(Input input, BWPolyInput source) { inputs[static_cast<size_t>(input)] = source; }
    void unbind(Input input) { inputs[static_cast<size_t>(input)] = BWPolyInput(); }
    // Copies the bound inputs into the caches (growing them when there are
    // more objects than before).
    void resizeObjects();
    // Whether any bound input, or the number of objects, differs from the caches.
    bool inputsChanged() const;
    // The number of objects the bound inputs hold now: the count, limited by
    // every bound array; 0 for a count that is not a positive number.
    int32_t boundObjectCount() const;

    int32_t objectCount() const { return cachedCount; }
    int32_t cached(Input input, int32_t object) const { return caches[static_cast<size_t>(input)][static_cast<size_t>(object)]; }
    // The rectangle an object covers in draw modes 0 and 1 (y counts up from
    // the bottom edge) or from its two corners in the others.
    CRect objectRect(int32_t object) const;
    int32_t pressedObject() const { return pressedIndex; }

    // Composites the objects into the off-screen image.
    void composite();
    void setSheet(CBitmap* sheet);
    CBitmap* getSheet() const { return sheet; }
    void setOffscreenImage(CBitmap* image);
    CBitmap* getOffscreenImage() const { return offscreenImage; }

    float event[kEventCount] = {};
    int32_t drawMode = kSprites;
    float* widthOutput = nullptr;
    float* heightOutput = nullptr;
    Throttle* throttle = nullptr;
    bool drawBackground = true;
    bool objectsTakeMouse = true;

private:
    void paint(CDrawContext* context, const CRect& area);
    void paintOffscreen(CDrawContext* context);
    void drawObjects(CDrawContext* context, const CRect& area);
    void drawSprite(CDrawContext* context, int32_t i, const CRect& rect, const CRect& area);
    void compositeObject(int32_t i);
    CColor colourOf(int32_t i) const;
    bool alphaBound() const { return alphaDraw && inputs[kAlpha].bound(); }
    void growCaches(int32_t count);
    void report();

    const float* countSource = nullptr;
    std::array<BWPolyInput, kInputCount> inputs{};
    std::array<std::vector<int32_t>, kInputCount> caches{};
    // The value each cache last took from its input: new entries of an input
    // that is no longer bound start from it.
    std::array<int32_t, kInputCount> lastCopied{};
    int32_t cachedCount = 0;
    CBitmap* sheet = nullptr;
    CBitmap* offscreenImage = nullptr;
    int32_t pressedIndex = -1;
    CPoint lastMouse;
    bool recomposite = true;
};

}  // namespace VSTGUI
