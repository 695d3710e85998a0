#include "aax/AAX_VPropertyMap.h"

namespace {

bool isAcceptedStemFormat(int32_t value) {
    const uint32_t format = uint32_t(value);
    return format <= 0xCFFFFu || format == 0xFFFF0000u || format == 0xFF9C0000u;
}

}  // namespace

AAX_VPropertyMap::AAX_VPropertyMap(IACFUnknown* map)
    : v1(acfQuery<AAX_IACFPropertyMap>(map, IID_IACFPropertyMap)),
      v2(acfQuery<AAX_IACFPropertyMap_V2>(map, IID_IACFPropertyMap_V2)),
      v3(acfQuery<AAX_IACFPropertyMap_V3>(map, IID_IACFPropertyMap_V3)) {}

AAX_VPropertyMap* AAX_VPropertyMap::Create(IACFComponentFactory* factory) {
    void* made = nullptr;
    if (factory && factory->CreateComponent(CLSID_PropertyMap, IID_IACFUnknown, &made) == ACF_OK && made) {
        auto* map = static_cast<IACFUnknown*>(made);
        auto* wrapper = new AAX_VPropertyMap(map);
        map->Release();
        return wrapper;
    }
    return new AAX_VPropertyMap(nullptr);
}

AAX_VPropertyMap::~AAX_VPropertyMap() {
    acfRelease(v3);
    acfRelease(v2);
    acfRelease(v1);
}

IACFUnknown* AAX_VPropertyMap::GetIUnknown() const {
    if (v3) return v3;
    if (v2) return v2;
    return v1;
}

bool AAX_VPropertyMap::GetProperty(int32_t property, int32_t* value) const { return v1 && v1->GetProperty(property, value) != 0; }

AAX_Result AAX_VPropertyMap::AddProperty(int32_t property, int32_t value) {
    const bool stemFormat = property == AAX_eProperty_InputStemFormat || property == AAX_eProperty_OutputStemFormat;
    if (stemFormat && !v3 && !isAcceptedStemFormat(value)) return AAX_ERROR_PROPERTY_UNDEFINED;
    return v1 ? v1->AddProperty(property, value) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VPropertyMap::RemoveProperty(int32_t property) { return v1 ? v1->RemoveProperty(property) : AAX_ERROR_NULL_OBJECT; }

bool AAX_VPropertyMap::GetPointerProperty(int32_t property, const void** value) const {
    if (!isPointerProperty(property)) {
        int32_t word = 0;
        if (!GetProperty(property, &word)) return false;
        if (value) *value = reinterpret_cast<const void*>(intptr_t(word));
        return true;
    }
    intptr_t pointer = 0;
    if (!v2 || v2->GetPointerProperty(property, &pointer) == 0) return false;
    if (value) *value = reinterpret_cast<const void*>(pointer);
    return true;
}

AAX_Result AAX_VPropertyMap::AddPointerProperty(int32_t property, const void* value) {
    if (!isPointerProperty(property)) return AddProperty(property, int32_t(reinterpret_cast<intptr_t>(value)));
    return v2 ? v2->AddPointerProperty(property, reinterpret_cast<intptr_t>(value)) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VPropertyMap::RemovePointerProperty(int32_t property) {
    return v3 ? v3->RemovePointerProperty(property) : AAX_ERROR_NULL_OBJECT;
}
