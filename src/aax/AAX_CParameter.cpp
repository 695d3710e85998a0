#include "aax/AAX_CParameter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "aax/AAX_IAutomationDelegate.h"
#include "aax/HostServices.h"

namespace {
const char* const kParameterSource = "../../Shared/ExternalLibs/PT_AAX_PlugInSDK/Interfaces/AAX_CParameter";
}

template <typename T>
AAX_CParameterValue<T>::AAX_CParameterValue(const char* identifier_, T value_) : value(value_) {
    const size_t length = identifier_ ? std::strlen(identifier_) : 0;
    if (length > kParameterIdentifierMax) hostAssert(kParameterSource, 194, "len < eParemeterDefaultMaxIdentifierSize");
    if (length) std::memcpy(identifier, identifier_, std::min<size_t>(length, kParameterIdentifierMax));
}

template <typename T>
AAX_CParameterValue<T>::AAX_CParameterValue(const AAX_CParameterValue& other) : value(other.Get()) {
    std::memcpy(identifier, other.identifier, sizeof identifier);
}

template <typename T>
bool AAX_CParameterValue<T>::GetValueAsBool(bool* out) const {
    if constexpr (!std::is_same_v<T, bool>) return false;
    if (out) *out = Get();
    return true;
}

template <typename T>
bool AAX_CParameterValue<T>::GetValueAsFloat(float* out) const {
    if constexpr (!std::is_same_v<T, float>) return false;
    if (out) *out = float(Get());
    return true;
}

template <typename T>
AAX_CParameter<T>::AAX_CParameter(const char* identifier, const AAX_CString& name, T defaultValue_,
                                  const AAX_ITaperDelegate<T>& taper_, const AAX_IDisplayDelegate<T>& display_,
                                  bool automatable_)
    : names(name), automatable(automatable_), taper(taper_.Clone()), display(display_.Clone()),
      value(identifier, T()), defaultValue(defaultValue_) {
    if (numSteps == 0) {
        if (type == AAX_eParameterType_Continuous) SetNumberOfSteps(128);
        else if (type == AAX_eParameterType_Discrete) SetNumberOfSteps(2);
        else hostAssert(kParameterSource, 699, "0");
    }
    SetToDefaultValue();
}

template <typename T>
AAX_CParameter<T>::~AAX_CParameter() {
    if (automation) automation->UnregisterParameter(Identifier());
}

template <typename T>
const AAX_CString& AAX_CParameter<T>::ShortenedName(int32_t length) const {
    if (length < 0 || names.Length() <= uint32_t(length) || shortenedNames.empty()) return names;
    auto above = shortenedNames.upper_bound(length);
    if (above == shortenedNames.begin()) return above->second;
    return std::prev(above)->second;
}

template <typename T>
void AAX_CParameter<T>::SetAutomationDelegate(AAX_IAutomationDelegate* delegate) {
    if (automation) automation->UnregisterParameter(Identifier());
    automation = delegate;
    if (automation) automation->RegisterParameter(Identifier());
}

template <typename T>
void AAX_CParameter<T>::Touch() {
    if (automation) automation->PostTouchRequest(Identifier());
}

template <typename T>
void AAX_CParameter<T>::Release() {
    if (automation) automation->PostReleaseRequest(Identifier());
}

template <typename T>
void AAX_CParameter<T>::setPath(double normalized) {
    if (automation) {
        automation->PostTouchRequest(Identifier());
        automation->PostSetValueRequest(Identifier(), normalized);
        automation->PostReleaseRequest(Identifier());
        return;
    }
    needNotify = true;
    UpdateNormalizedValue(normalized);
}

template <typename T>
void AAX_CParameter<T>::UpdateNormalizedValue(double normalized) {
    const T real = taper->NormalizedToReal(normalized);
    if (!needNotify && real == value.Get()) return;
    value.Set(real);
    if (automation) automation->PostCurrentValue(Identifier(), normalized);
    needNotify = false;
}

template <typename T>
void AAX_CParameter<T>::SetNormalizedValue(double normalized) {
    setPath(taper->RealToNormalized(taper->NormalizedToReal(normalized)));
}

template <typename T>
void AAX_CParameter<T>::SetNormalizedDefaultValue(double normalized) {
    defaultValue = taper->ConstrainRealValue(taper->NormalizedToReal(normalized));
}

template <typename T>
void AAX_CParameter<T>::SetNumberOfSteps(uint32_t steps) {
    if (steps == 0) {
        hostAssert(kParameterSource, 834, "0 < numSteps");
        return;
    }
    numSteps = steps;
}

template <typename T>
double AAX_CParameter<T>::GetNormalizedValueFromStep(uint32_t step) const {
    if (numSteps < 2) return 0.0;
    return std::clamp(double(step) / double(numSteps - 1), 0.0, 1.0);
}

template <typename T>
uint32_t AAX_CParameter<T>::GetStepValueFromNormalizedValue(double normalized) const {
    if (numSteps < 2) return 0;
    if (std::isnan(normalized)) return 0;  // a NaN from the host must not reach the integer cast
    return uint32_t(std::clamp(normalized * double(numSteps - 1) + 0.5, 0.0, double(numSteps - 1)));
}

template <typename T>
void AAX_CParameter<T>::SetStepValue(uint32_t step) {
    if (numSteps < 2) return;
    SetNormalizedValue(GetNormalizedValueFromStep(step));
}

template <typename T>
bool AAX_CParameter<T>::GetValueString(int32_t, AAX_CString* out) const {
    // The host's character limit is not passed on: the full text is given.
    return display->ValueToString(value.Get(), out);
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromBool(bool real, double* out) const {
    if constexpr (!std::is_same_v<T, bool>) return false;
    *out = taper->RealToNormalized(real);
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromFloat(float real, double* out) const {
    if constexpr (!std::is_same_v<T, float>) return false;
    *out = taper->RealToNormalized(T(real));
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromString(const AAX_CString& text, double* out) const {
    T real{};
    if (!display->StringToValue(text, &real)) return false;
    *out = taper->RealToNormalized(real);
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetBoolFromNormalizedValue(double normalized, bool* out) const {
    if constexpr (!std::is_same_v<T, bool>) return false;
    *out = taper->NormalizedToReal(normalized);
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetFloatFromNormalizedValue(double normalized, float* out) const {
    if constexpr (!std::is_same_v<T, float>) return false;
    *out = float(taper->NormalizedToReal(normalized));
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetStringFromNormalizedValue(double normalized, int32_t maxChars, AAX_CString* out) const {
    const T real = taper->NormalizedToReal(normalized);
    if (!display->ValueToString(real, maxChars, out)) return false;
    return taper->GetMinimumValue() <= real && real <= taper->GetMaximumValue();
}

template <typename T>
bool AAX_CParameter<T>::GetStringFromNormalizedValue(double normalized, AAX_CString* out) const {
    const T real = taper->NormalizedToReal(normalized);
    if (!display->ValueToString(real, out)) return false;
    return taper->GetMinimumValue() <= real && real <= taper->GetMaximumValue();
}

template <typename T>
bool AAX_CParameter<T>::SetValueFromString(const AAX_CString& text) {
    T real{};
    if (!display->StringToValue(text, &real)) return false;
    setPath(taper->RealToNormalized(real));
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetValueAsString(AAX_IString* out) const {
    if (!out) return false;
    AAX_CString text;
    if (!GetValueString(&text)) return false;
    out->Set(text.Get());
    return true;
}

template <typename T>
bool AAX_CParameter<T>::SetValueWithBool(bool real) {
    if constexpr (!std::is_same_v<T, bool>) return false;
    setPath(taper->RealToNormalized(real));
    return true;
}

template <typename T>
bool AAX_CParameter<T>::SetValueWithFloat(float real) {
    if constexpr (!std::is_same_v<T, float>) return false;
    setPath(taper->RealToNormalized(T(real)));
    return true;
}

template <typename T>
void AAX_CParameter<T>::SetTaperDelegate(const AAX_ITaperDelegateBase& base, bool preserveValue) {
    const auto* newTaper = dynamic_cast<const AAX_ITaperDelegate<T>*>(&base);
    if (!newTaper) return;  // a taper of another value type cannot serve this parameter
    const double old = GetNormalizedValue();
    taper.reset(newTaper->Clone());
    needNotify = true;
    double normalized = old;
    if (preserveValue) {
        normalized = taper->RealToNormalized(value.Get());
        if (automation) {
            setPath(normalized);
            return;
        }
    }
    needNotify = true;
    UpdateNormalizedValue(normalized);
}

template <typename T>
void AAX_CParameter<T>::SetDisplayDelegate(const AAX_IDisplayDelegateBase& base) {
    const auto* newDisplay = dynamic_cast<const AAX_IDisplayDelegate<T>*>(&base);
    if (!newDisplay) return;
    display.reset(newDisplay->Clone());
    if (automation) automation->PostCurrentValue(Identifier(), GetNormalizedValue());
}

template class AAX_CParameterValue<bool>;
template class AAX_CParameterValue<float>;
template class AAX_CParameter<bool>;
template class AAX_CParameter<float>;
