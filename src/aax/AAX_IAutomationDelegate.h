#pragma once
// The host's automation as a parameter sees it: changes are requested from
// the host, which applies them back through the effect.  AAX_VAutomationDelegate
// wraps the host's interface; tests record the calls.

#include "aax/AAXResults.h"

class AAX_IAutomationDelegate {
public:
    virtual ~AAX_IAutomationDelegate() = default;
    virtual AAX_Result RegisterParameter(const char* id) = 0;
    virtual AAX_Result UnregisterParameter(const char* id) = 0;
    virtual AAX_Result PostSetValueRequest(const char* id, double normalized) const = 0;
    virtual AAX_Result PostCurrentValue(const char* id, double normalized) const = 0;
    virtual AAX_Result PostTouchRequest(const char* id) = 0;
    virtual AAX_Result PostReleaseRequest(const char* id) = 0;
    virtual AAX_Result GetTouchState(const char* id, bool* touched) = 0;
};
