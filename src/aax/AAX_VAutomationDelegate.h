#pragma once
// Wrapper of the host's automation delegate; -20004 without one.

#include "aax/AAXHostInterfaces.h"
#include "aax/AAX_IAutomationDelegate.h"

class AAX_VAutomationDelegate : public AAX_IAutomationDelegate {
public:
    explicit AAX_VAutomationDelegate(IACFUnknown* host);
    ~AAX_VAutomationDelegate() override;
    AAX_VAutomationDelegate(const AAX_VAutomationDelegate&) = delete;
    AAX_VAutomationDelegate& operator=(const AAX_VAutomationDelegate&) = delete;

    AAX_Result RegisterParameter(const char* id) override;
    AAX_Result UnregisterParameter(const char* id) override;
    AAX_Result PostSetValueRequest(const char* id, double normalized) const override;
    AAX_Result PostCurrentValue(const char* id, double normalized) const override;
    AAX_Result PostTouchRequest(const char* id) override;
    AAX_Result PostReleaseRequest(const char* id) override;
    AAX_Result GetTouchState(const char* id, bool* touched) override;

private:
    AAX_IACFAutomationDelegate* v1 = nullptr;
};
