#include "aax/AAX_VFeatureInfo.h"

#include "aax/AAX_VPropertyMap.h"

AAX_VFeatureInfo::AAX_VFeatureInfo(IACFUnknown* info) : v1(acfQuery<AAX_IACFFeatureInfo>(info, IID_IACFFeatureInfo)) {}

AAX_VFeatureInfo::~AAX_VFeatureInfo() { acfRelease(v1); }

AAX_Result AAX_VFeatureInfo::SupportLevel(int32_t* level) const { return v1 ? v1->SupportLevel(level) : AAX_ERROR_NULL_OBJECT; }

AAX_VPropertyMap* AAX_VFeatureInfo::AcquireProperties() {
    if (!v1) return nullptr;
    IACFUnknown* map = nullptr;
    if (v1->AcquireProperties(&map) != AAX_SUCCESS || !map) return nullptr;
    auto* wrapper = new AAX_VPropertyMap(map);
    map->Release();
    return wrapper;
}
