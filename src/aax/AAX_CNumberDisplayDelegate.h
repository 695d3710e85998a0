#pragma once
// Plain number display with a fixed count of decimals, "C" locale.

#include <algorithm>
#include <cstdint>

#include "aax/AAX_IDisplayDelegate.h"

template <typename T, uint32_t Precision = 2, uint32_t SpaceAfter = 0>
class AAX_CNumberDisplayDelegate : public AAX_IDisplayDelegate<T> {
public:
    AAX_CNumberDisplayDelegate* Clone() const override { return new AAX_CNumberDisplayDelegate(*this); }

    bool ValueToString(T value, AAX_CString* out) const override {
        out->Clear();
        out->AppendNumber(double(value), Precision);
        return true;
    }

    // Cut to maxChars; a cut that ends in the decimal point drops it too.
    bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const override {
        ValueToString(value, out);
        const uint32_t limit = uint32_t(std::max(maxChars, 0));
        if (out->Length() > limit) out->Erase(limit, out->Length() - limit);
        if (limit >= 1 && out->Length() == limit && (*out)[limit - 1] == '.') out->Erase(limit - 1, 1);
        return true;
    }

    bool StringToValue(const AAX_CString& text, T* out) const override {
        double number = 0;
        const bool read = text.ToDouble(&number);
        *out = read ? static_cast<T>(number) : T(0);
        return read;
    }
};
