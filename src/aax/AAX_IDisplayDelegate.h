#pragma once
// Maps a parameter's value to display text and back.  Parameters own clones
// of the display delegates they are given.

#include <cstdint>

#include "aax/AAX_CString.h"

class AAX_IDisplayDelegateBase {
public:
    virtual ~AAX_IDisplayDelegateBase() = default;
};

template <typename T>
class AAX_IDisplayDelegate : public AAX_IDisplayDelegateBase {
public:
    virtual AAX_IDisplayDelegate* Clone() const = 0;
    virtual bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const = 0;
    virtual bool ValueToString(T value, AAX_CString* out) const = 0;
    virtual bool StringToValue(const AAX_CString& text, T* out) const = 0;
};
