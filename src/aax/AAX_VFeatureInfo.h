#pragma once
// Wrapper of the host's information about one feature; -20004 without it.

#include "aax/AAXHostInterfaces.h"

class AAX_VPropertyMap;

class AAX_VFeatureInfo {
public:
    explicit AAX_VFeatureInfo(IACFUnknown* info);
    virtual ~AAX_VFeatureInfo();
    AAX_VFeatureInfo(const AAX_VFeatureInfo&) = delete;
    AAX_VFeatureInfo& operator=(const AAX_VFeatureInfo&) = delete;

    virtual AAX_Result SupportLevel(int32_t* level) const;
    // A new wrapper over the feature's properties, owned by the caller; null
    // when the host answers an error or no map.
    virtual AAX_VPropertyMap* AcquireProperties();

private:
    AAX_IACFFeatureInfo* v1 = nullptr;
};
