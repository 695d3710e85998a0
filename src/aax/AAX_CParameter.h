#pragma once
// One host parameter over a value of type T (bool for switches and the
// master bypass, float for everything continuous).  A taper maps the value
// to the host's normalized 0..1 and a display delegate maps it to text; the
// parameter owns clones of both.  With an automation delegate every change is
// a request to the host, which applies it back through the effect
// (UpdateNormalizedValue); without one the value changes at once.  Not
// locked: called from the host thread that calls the effect.  The value
// alone is an atomic: the host may send values from any thread while the
// idle makes the parameter follow the core and the coefficient thread reads
// it; the rest (name, delegates, steps) is set up once on the main thread.

#include <atomic>
#include <map>
#include <memory>

#include "aax/AAX_IDisplayDelegate.h"
#include "aax/AAX_IParameter.h"
#include "aax/AAX_ITaperDelegate.h"

template <typename T>
class AAX_CParameterValue : public AAX_IParameterValue {
public:
    AAX_CParameterValue(const char* identifier, T value);
    AAX_CParameterValue(const AAX_CParameterValue& other);
    AAX_CParameterValue& operator=(const AAX_CParameterValue&) = delete;

    AAX_CParameterValue* Clone() const override { return new AAX_CParameterValue(*this); }
    const char* Identifier() const override { return identifier; }
    bool GetValueAsBool(bool* out) const override;
    bool GetValueAsInt32(int32_t*) const override { return false; }
    bool GetValueAsFloat(float* out) const override;
    bool GetValueAsDouble(double*) const override { return false; }
    bool GetValueAsString(AAX_IString*) const override { return false; }

    T Get() const { return value.load(std::memory_order_relaxed); }
    void Set(T newValue) { value.store(newValue, std::memory_order_relaxed); }

private:
    char identifier[kParameterIdentifierMax + 1] = {};
    std::atomic<T> value;
};

template <typename T>
class AAX_CParameter : public AAX_IParameter {
public:
    AAX_CParameter(const char* identifier, const AAX_CString& name, T defaultValue,
                   const AAX_ITaperDelegate<T>& taper, const AAX_IDisplayDelegate<T>& display, bool automatable);
    ~AAX_CParameter() override;
    AAX_CParameter(const AAX_CParameter&) = delete;
    AAX_CParameter& operator=(const AAX_CParameter&) = delete;

    AAX_IParameterValue* CloneValue() const override { return value.Clone(); }
    const char* Identifier() const override { return value.Identifier(); }
    void SetName(const AAX_CString& name) override { names = name; }
    const AAX_CString& Name() const override { return names; }
    void AddShortenedName(const AAX_CString& name) override { shortenedNames[int32_t(name.Length())] = name; }
    const AAX_CString& ShortenedName(int32_t length) const override;
    void ClearShortenedNames() override { shortenedNames.clear(); }
    bool Automatable() const override { return automatable; }
    void SetAutomationDelegate(AAX_IAutomationDelegate* delegate) override;
    void Touch() override;
    void Release() override;
    void SetNormalizedValue(double normalized) override;
    double GetNormalizedValue() const override { return taper->RealToNormalized(value.Get()); }
    void SetNormalizedDefaultValue(double normalized) override;
    double GetNormalizedDefaultValue() const override { return taper->RealToNormalized(defaultValue); }
    void SetToDefaultValue() override { setPath(taper->RealToNormalized(defaultValue)); }
    void SetNumberOfSteps(uint32_t steps) override;
    uint32_t GetNumberOfSteps() const override { return numSteps; }
    uint32_t GetStepValue() const override { return GetStepValueFromNormalizedValue(GetNormalizedValue()); }
    double GetNormalizedValueFromStep(uint32_t step) const override;
    uint32_t GetStepValueFromNormalizedValue(double normalized) const override;
    void SetStepValue(uint32_t step) override;
    bool GetValueString(int32_t maxChars, AAX_CString* out) const override;
    bool GetValueString(AAX_CString* out) const override { return display->ValueToString(value.Get(), out); }
    bool GetNormalizedValueFromBool(bool real, double* out) const override;
    bool GetNormalizedValueFromInt32(int32_t, double*) const override { return false; }
    bool GetNormalizedValueFromFloat(float real, double* out) const override;
    bool GetNormalizedValueFromDouble(double, double*) const override { return false; }
    bool GetNormalizedValueFromString(const AAX_CString& text, double* out) const override;
    bool GetBoolFromNormalizedValue(double normalized, bool* out) const override;
    bool GetInt32FromNormalizedValue(double, int32_t*) const override { return false; }
    bool GetFloatFromNormalizedValue(double normalized, float* out) const override;
    bool GetDoubleFromNormalizedValue(double, double*) const override { return false; }
    bool GetStringFromNormalizedValue(double normalized, int32_t maxChars, AAX_CString* out) const override;
    bool GetStringFromNormalizedValue(double normalized, AAX_CString* out) const override;
    bool SetValueFromString(const AAX_CString& text) override;
    bool GetValueAsBool(bool* out) const override { return value.GetValueAsBool(out); }
    bool GetValueAsInt32(int32_t*) const override { return false; }
    bool GetValueAsFloat(float* out) const override { return value.GetValueAsFloat(out); }
    bool GetValueAsDouble(double*) const override { return false; }
    bool GetValueAsString(AAX_IString* out) const override;
    bool SetValueWithBool(bool real) override;
    bool SetValueWithInt32(int32_t) override { return false; }
    bool SetValueWithFloat(float real) override;
    bool SetValueWithDouble(double) override { return false; }
    bool SetValueWithString(const AAX_IString& text) override { return SetValueFromString(AAX_CString(text)); }
    void SetType(int32_t newType) override { type = newType; }
    int32_t GetType() const override { return type; }
    void SetOrientation(int32_t newOrientation) override { orientation = newOrientation; }
    int32_t GetOrientation() const override { return orientation; }
    void SetTaperDelegate(const AAX_ITaperDelegateBase& taper, bool preserveValue) override;
    void SetDisplayDelegate(const AAX_IDisplayDelegateBase& display) override;
    void UpdateNormalizedValue(double normalized) override;

private:
    void setPath(double normalized);

    AAX_CString names;
    std::map<int32_t, AAX_CString> shortenedNames;
    bool automatable;
    uint32_t numSteps = 0;
    int32_t type = AAX_eParameterType_Continuous;
    int32_t orientation = 0;
    std::unique_ptr<AAX_ITaperDelegate<T>> taper;
    std::unique_ptr<AAX_IDisplayDelegate<T>> display;
    AAX_IAutomationDelegate* automation = nullptr;
    std::atomic<bool> needNotify{true};
    AAX_CParameterValue<T> value;
    T defaultValue;
};

extern template class AAX_CParameterValue<bool>;
extern template class AAX_CParameterValue<float>;
extern template class AAX_CParameter<bool>;
extern template class AAX_CParameter<float>;
