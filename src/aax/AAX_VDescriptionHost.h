#pragma once
// Wrapper of the host's description services; -20004 without them.

#include "aax/AAXHostInterfaces.h"

class AAX_VFeatureInfo;

class AAX_VDescriptionHost {
public:
    explicit AAX_VDescriptionHost(IACFUnknown* host);
    virtual ~AAX_VDescriptionHost();
    AAX_VDescriptionHost(const AAX_VDescriptionHost&) = delete;
    AAX_VDescriptionHost& operator=(const AAX_VDescriptionHost&) = delete;

    // A new wrapper owned by the caller; null when the host answers an error
    // or no object.
    virtual AAX_VFeatureInfo* AcquireFeatureProperties(const acfIID& feature) const;
    virtual AAX_Result GetHostVersion(uint32_t* version) const;

    bool IsSupported() const { return v1 != nullptr; }

private:
    AAX_IACFDescriptionHost* v1 = nullptr;
    AAX_IACFDescriptionHost_V2* v2 = nullptr;
};
