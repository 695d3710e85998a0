#include "aax/AAX_VEffectDescriptor.h"

#include "aax/AAX_VComponentDescriptor.h"
#include "aax/AAX_VPropertyMap.h"

AAX_VEffectDescriptor::AAX_VEffectDescriptor(IACFUnknown* host_)
    : host(host_), factory(acfQuery<IACFComponentFactory>(host_, IID_IACFComponentFactory)) {
    if (host) host->AddRef();
    void* made = nullptr;
    if (!factory || factory->CreateComponent(CLSID_EffectDescriptor, IID_IACFUnknown, &made) != ACF_OK || !made) return;
    auto* object = static_cast<IACFUnknown*>(made);
    v1 = acfQuery<AAX_IACFEffectDescriptor>(object, IID_IACFEffectDescriptor);
    v2 = acfQuery<AAX_IACFEffectDescriptor_V2>(object, IID_IACFEffectDescriptor_V2);
    object->Release();
}

AAX_VEffectDescriptor::~AAX_VEffectDescriptor() {
    propertyMaps.clear();
    components.clear();
    acfRelease(v2);
    acfRelease(v1);
    acfRelease(factory);
    acfRelease(host);
}

AAX_VComponentDescriptor* AAX_VEffectDescriptor::NewComponentDescriptor() {
    components.push_back(std::make_unique<AAX_VComponentDescriptor>(host));
    return components.back().get();
}

AAX_Result AAX_VEffectDescriptor::AddComponent(AAX_VComponentDescriptor* component) {
    IACFUnknown* object = component ? component->GetIUnknown() : nullptr;
    if (!v1 || !object) return AAX_ERROR_NULL_OBJECT;
    return v1->AddComponent(object);
}

AAX_Result AAX_VEffectDescriptor::AddName(const char* name) { return v1 ? v1->AddName(name) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VEffectDescriptor::AddCategory(uint32_t category) { return v1 ? v1->AddCategory(category) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VEffectDescriptor::AddCategoryBypassParameter(uint32_t category, const char* id) {
    return v1 ? v1->AddCategoryBypassParameter(category, id) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VEffectDescriptor::AddProcPtr(void* procedure, int32_t procID) { return v1 ? v1->AddProcPtr(procedure, procID) : AAX_ERROR_NULL_OBJECT; }

AAX_VPropertyMap* AAX_VEffectDescriptor::NewPropertyMap() {
    propertyMaps.emplace_back(AAX_VPropertyMap::Create(factory));
    return propertyMaps.back().get();
}

AAX_Result AAX_VEffectDescriptor::SetProperties(AAX_VPropertyMap* properties) {
    IACFUnknown* map = properties ? properties->GetIUnknown() : nullptr;
    if (!v1 || !map) return AAX_ERROR_NULL_OBJECT;
    return v1->SetProperties(map);
}

AAX_Result AAX_VEffectDescriptor::AddResourceInfo(int32_t type, const char* path) { return v1 ? v1->AddResourceInfo(type, path) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VEffectDescriptor::AddControlMIDINode(uint32_t nodeID, int32_t type, const char* name, uint32_t channelMask) {
    return v2 ? v2->AddControlMIDINode(nodeID, type, name, channelMask) : AAX_ERROR_UNIMPLEMENTED;
}
