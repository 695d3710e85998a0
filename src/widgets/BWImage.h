#pragma once
// A bitmap sprite that follows floats of the core: it moves and grows by
// offsets from its original rectangle, takes its source offset inside the
// bitmap from two more (a negative one hides it), fades by an alpha, swaps to
// a hover bitmap under the pointer and can tile its bitmap.  A clickable
// image tells an observer "mousedown" instead of reporting a value.
// GUI thread only.

#include "widgets/BWControl.h"

namespace VSTGUI {

// The notification a clickable image sends (compared by address).
inline constexpr char kMsgMouseDown[] = "mousedown";

// The float that unbound sources point at, so that reading never needs a test.
float* getDummyValuePointer();

class BWImage : public BWControl {
public:
    BWImage(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, CBitmap* bitmap,
            CBitmap* hoverBitmap);

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    bool hitTest(const CPoint& where, const CButtonState& buttons) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    int32_t onMouseExited(CPoint& where, const CButtonState& buttons) override;
    void idle(int32_t argument) override;
    void setViewSizeWithMargins(CRect& rect) override;
    void setViewSizeAndArea(const CRect& rect) override;

    const CRect& getOriginRect() const { return originRect; }
    CPoint getSourceOffset() const { return CPoint(sourceX, sourceY); }

    CBitmap* bitmap;  // not owned
    CBitmap* hoverBitmap;
    CBaseObject* observer = nullptr;
    float* xSource = getDummyValuePointer();
    float* ySource = getDummyValuePointer();
    float* widthSource = getDummyValuePointer();
    float* heightSource = getDummyValuePointer();
    float* xOffsetSource = getDummyValuePointer();
    float* yOffsetSource = getDummyValuePointer();
    float* alphaSource = nullptr;  // 0..255, used with alphaDraw
    int32_t tileWidth = 0;
    bool clickable = false;
    bool frozen = false;  // does not follow its sources

protected:
    bool movePicture(const CPoint& topLeft) override;

private:
    // The movement step of idle: rectangle and source offset from the sources.
    void applySources();
    void paint(CDrawContext* context, const CRect* update);

    CRect originRect;
    float lastX = 0.0f, lastY = 0.0f, lastWidth = 0.0f, lastHeight = 0.0f, lastAlpha = 0.0f;
    int32_t sourceX = 0;
    int32_t sourceY = 0;
    bool hover = false;
};

// A level shown as a frame of a strip (the view background) with a falling
// peak; it follows a level float of the core and clears it when it took it.
class BWLevelMeterPic : public BWControl {
public:
    BWLevelMeterPic(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, CBitmap* strip,
                    int32_t frameCount, float* levelSource);

    void draw(CDrawContext* context) override;
    void idle(int32_t argument) override;
    virtual float getLevel() const;
    virtual void resetLevel();

    int32_t getLastFrame() const { return lastFrame; }
    float getPeak() const { return peak; }
    CPoint getStripOffset() const { return stripOffset; }

    float* levelSource;
    int32_t frameCount;
    int32_t unityFrame;
    bool horizontalStrip = false;

private:
    float framePosition(float level) const;

    int32_t lastFrame = -1;  // nothing drawn yet: the first level redraws
    float current = 0.0f;
    float peak = 0.0f;
    CPoint stripOffset;
};

}  // namespace VSTGUI
