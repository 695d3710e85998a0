#pragma once
// One host-visible parameter and the value snapshot it hands out.  The
// operations stand in the host's slot order; every typed getter and setter
// answers false for a parameter of another value type.

#include <cstdint>

#include "aax/AAX_CString.h"

class AAX_IAutomationDelegate;

// Parameter identifiers: at most 31 characters, compared byte-wise.
inline constexpr uint32_t kParameterIdentifierMax = 31;

class AAX_IParameterValue {
public:
    virtual ~AAX_IParameterValue() = default;
    virtual AAX_IParameterValue* Clone() const = 0;
    virtual const char* Identifier() const = 0;
    virtual bool GetValueAsBool(bool* out) const = 0;
    virtual bool GetValueAsInt32(int32_t* out) const = 0;
    virtual bool GetValueAsFloat(float* out) const = 0;
    virtual bool GetValueAsDouble(double* out) const = 0;
    virtual bool GetValueAsString(AAX_IString* out) const = 0;
};

class AAX_IParameter {
public:
    virtual ~AAX_IParameter() = default;
    virtual AAX_IParameterValue* CloneValue() const = 0;
    virtual const char* Identifier() const = 0;
    virtual void SetName(const AAX_CString& name) = 0;
    virtual const AAX_CString& Name() const = 0;
    virtual void AddShortenedName(const AAX_CString& name) = 0;
    virtual const AAX_CString& ShortenedName(int32_t length) const = 0;
    virtual void ClearShortenedNames() = 0;
    virtual bool Automatable() const = 0;
    virtual void SetAutomationDelegate(AAX_IAutomationDelegate* delegate) = 0;
    virtual void Touch() = 0;
    virtual void Release() = 0;
    virtual void SetNormalizedValue(double value) = 0;
    virtual double GetNormalizedValue() const = 0;
    virtual void SetNormalizedDefaultValue(double value) = 0;
    virtual double GetNormalizedDefaultValue() const = 0;
    virtual void SetToDefaultValue() = 0;
    virtual void SetNumberOfSteps(uint32_t steps) = 0;
    virtual uint32_t GetNumberOfSteps() const = 0;
    virtual uint32_t GetStepValue() const = 0;
    virtual double GetNormalizedValueFromStep(uint32_t step) const = 0;
    virtual uint32_t GetStepValueFromNormalizedValue(double value) const = 0;
    virtual void SetStepValue(uint32_t step) = 0;
    virtual bool GetValueString(int32_t maxChars, AAX_CString* out) const = 0;
    virtual bool GetValueString(AAX_CString* out) const = 0;
    virtual bool GetNormalizedValueFromBool(bool value, double* out) const = 0;
    virtual bool GetNormalizedValueFromInt32(int32_t value, double* out) const = 0;
    virtual bool GetNormalizedValueFromFloat(float value, double* out) const = 0;
    virtual bool GetNormalizedValueFromDouble(double value, double* out) const = 0;
    virtual bool GetNormalizedValueFromString(const AAX_CString& text, double* out) const = 0;
    virtual bool GetBoolFromNormalizedValue(double value, bool* out) const = 0;
    virtual bool GetInt32FromNormalizedValue(double value, int32_t* out) const = 0;
    virtual bool GetFloatFromNormalizedValue(double value, float* out) const = 0;
    virtual bool GetDoubleFromNormalizedValue(double value, double* out) const = 0;
    virtual bool GetStringFromNormalizedValue(double value, int32_t maxChars, AAX_CString* out) const = 0;
    virtual bool GetStringFromNormalizedValue(double value, AAX_CString* out) const = 0;
    virtual bool SetValueFromString(const AAX_CString& text) = 0;
    virtual bool GetValueAsBool(bool* out) const = 0;
    virtual bool GetValueAsInt32(int32_t* out) const = 0;
    virtual bool GetValueAsFloat(float* out) const = 0;
    virtual bool GetValueAsDouble(double* out) const = 0;
    virtual bool GetValueAsString(AAX_IString* out) const = 0;
    virtual bool SetValueWithBool(bool value) = 0;
    virtual bool SetValueWithInt32(int32_t value) = 0;
    virtual bool SetValueWithFloat(float value) = 0;
    virtual bool SetValueWithDouble(double value) = 0;
    virtual bool SetValueWithString(const AAX_IString& text) = 0;
    virtual void SetType(int32_t type) = 0;
    virtual int32_t GetType() const = 0;
    virtual void SetOrientation(int32_t orientation) = 0;
    virtual int32_t GetOrientation() const = 0;
    virtual void SetTaperDelegate(const class AAX_ITaperDelegateBase& taper, bool preserveValue) = 0;
    virtual void SetDisplayDelegate(const class AAX_IDisplayDelegateBase& display) = 0;
    virtual void UpdateNormalizedValue(double value) = 0;
};

enum : int32_t {
    AAX_eParameterType_Discrete = 0,
    AAX_eParameterType_Continuous = 1,
};
