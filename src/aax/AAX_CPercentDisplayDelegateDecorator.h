#pragma once
// Display decorators wrap another display delegate (and own it).  The percent
// decorator shows value x 100 with a "%" and reads "50%" or "50" as 0.5.

#include <memory>

#include "aax/AAX_IDisplayDelegate.h"

template <typename T>
class AAX_IDisplayDelegateDecorator : public AAX_IDisplayDelegate<T> {
public:
    explicit AAX_IDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& wrapped_) : wrapped(wrapped_.Clone()) {}
    AAX_IDisplayDelegateDecorator(const AAX_IDisplayDelegateDecorator& other) : wrapped(other.wrapped->Clone()) {}

    AAX_IDisplayDelegateDecorator* Clone() const override { return new AAX_IDisplayDelegateDecorator(*this); }
    bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const override { return wrapped->ValueToString(value, maxChars, out); }
    bool ValueToString(T value, AAX_CString* out) const override { return wrapped->ValueToString(value, out); }
    bool StringToValue(const AAX_CString& text, T* out) const override { return wrapped->StringToValue(text, out); }

protected:
    const AAX_IDisplayDelegate<T>& Wrapped() const { return *wrapped; }

private:
    std::unique_ptr<AAX_IDisplayDelegate<T>> wrapped;
};

template <typename T>
class AAX_CPercentDisplayDelegateDecorator : public AAX_IDisplayDelegateDecorator<T> {
public:
    using AAX_IDisplayDelegateDecorator<T>::AAX_IDisplayDelegateDecorator;

    AAX_CPercentDisplayDelegateDecorator* Clone() const override { return new AAX_CPercentDisplayDelegateDecorator(*this); }

    bool ValueToString(T value, AAX_CString* out) const override {
        const bool result = this->Wrapped().ValueToString(value * 100, out);
        *out += "%";
        return result;
    }

    bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const override {
        const bool result = this->Wrapped().ValueToString(value * 100, maxChars - 1, out);
        *out += "%";
        return result;
    }

    bool StringToValue(const AAX_CString& text, T* out) const override {
        AAX_CString number(text);
        if (number.Length() >= 3 && number[number.Length() - 1] == '%') number.Erase(number.Length() - 1, 1);
        const bool result = this->Wrapped().StringToValue(number, out);
        *out = static_cast<T>(*out * 0.01);
        return result;
    }
};
