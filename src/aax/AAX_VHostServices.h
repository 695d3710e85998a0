#pragma once
// Wrapper of the host's assertion and trace services.  Created through the
// host's component factory; a missing version answers -20004 (StackTrace
// -20009).

#include "aax/AAXHostInterfaces.h"

class AAX_VHostServices {
public:
    // Throws the 32-bit value ACF_E_POINTER (0x80000005) when the host's
    // component factory query succeeds but yields no factory.
    explicit AAX_VHostServices(IACFUnknown* host);
    virtual ~AAX_VHostServices();
    AAX_VHostServices(const AAX_VHostServices&) = delete;
    AAX_VHostServices& operator=(const AAX_VHostServices&) = delete;

    virtual AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t type) const;
    virtual AAX_Result Trace(int32_t priority, const char* text) const;
    virtual AAX_Result StackTrace(int32_t tracePriority, int32_t stackPriority, const char* text) const;
    virtual AAX_Result TraceWithStack(int32_t priority, const char* text, int32_t depth) const;

private:
    AAX_IACFHostServices* v1 = nullptr;
    AAX_IACFHostServices_V2* v2 = nullptr;
    AAX_IACFHostServices_V3* v3 = nullptr;
};
