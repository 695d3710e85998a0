#pragma once
// A view that carries a value: a float with a range, a default, a tag that
// names what the value belongs to, and a listener that hears every change.
//
// Dirty rule: a control counts as dirty while its flag is set or while the
// value differs from the value last drawn (oldValue), so a value changed with
// setValue is repainted at the next idle without further marking.  A new
// control is dirty (oldValue -1).  Slots 56 to 78 follow the view's.
// GUI thread only.

#include "guitoolkit/CControlListener.h"
#include "guitoolkit/CView.h"

namespace VSTGUI {

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
             CBitmap* background = nullptr);
    CControl(const CControl& other);

    bool isDirty() const override;
    void setDirty(bool value = true) override;
    bool isTypeOf(const char* name) const override;
    // draw (4) and newCopy (55) are every concrete control's own.
    void draw(CDrawContext* context) override = 0;
    CView* newCopy() const override = 0;

    virtual void doIdleStuff();                                 // 56
    virtual void setValue(float value);                         // 57
    virtual float getValue() const;                             // 58
    virtual void setMin(float value);                           // 59
    virtual float getMin() const;                               // 60
    virtual void setMax(float value);                           // 61
    virtual float getMax() const;                               // 62
    virtual void setOldValue(float value);                      // 63
    virtual float getOldValue() const;                          // 64
    virtual void setDefaultValue(float value);                  // 65
    virtual float getDefaultValue() const;                      // 66
    virtual void bounceValue();                                 // 67
    // Control + left button (exactly 34) resets to the default as one edit.
    virtual bool checkDefaultValue(CButtonState buttons);       // 68
    virtual void setTag(int32_t value);                         // 69
    virtual int32_t getTag() const;                             // 70
    virtual void beginEdit();                                   // 71
    virtual void endEdit();                                     // 72
    virtual CControlListener* getListener() const;              // 73
    virtual void setListener(CControlListener* value);          // 74
    virtual void setBackOffset(const CPoint& offset);           // 75
    virtual void copyBackOffset();                              // 76
    virtual void setWheelInc(float value);                      // 77
    virtual float getWheelInc() const;                          // 78

    const CPoint& getBackOffset() const { return backOffset; }

protected:
    CControlListener* listener = nullptr;
    int32_t tag = 0;
    float oldValue = 1.0f;
    float defaultValue = 0.5f;
    float value = 0.0f;
    float vmin = 0.0f;
    float vmax = 1.0f;
    float wheelInc = 0.1f;
    int32_t reservedWord = -1;
    CPoint backOffset;
};

}  // namespace VSTGUI
