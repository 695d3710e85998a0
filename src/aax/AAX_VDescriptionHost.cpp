#include "aax/AAX_VDescriptionHost.h"

#include "aax/AAX_VFeatureInfo.h"

AAX_VDescriptionHost::AAX_VDescriptionHost(IACFUnknown* host)
    : v1(acfQuery<AAX_IACFDescriptionHost>(host, IID_IACFDescriptionHost)),
      v2(acfQuery<AAX_IACFDescriptionHost_V2>(host, IID_IACFDescriptionHost_V2)) {}

AAX_VDescriptionHost::~AAX_VDescriptionHost() {
    acfRelease(v2);
    acfRelease(v1);
}

AAX_VFeatureInfo* AAX_VDescriptionHost::AcquireFeatureProperties(const acfIID& feature) const {
    if (!v1) return nullptr;
    IACFUnknown* info = nullptr;
    if (v1->AcquireFeatureProperties(feature, &info) != AAX_SUCCESS || !info) return nullptr;
    auto* wrapper = new AAX_VFeatureInfo(info);
    info->Release();
    return wrapper;
}

AAX_Result AAX_VDescriptionHost::GetHostVersion(uint32_t* version) const {
    return v2 ? v2->GetHostVersion(version) : AAX_ERROR_NULL_OBJECT;
}
