#include "aax/AAX_VCollection.h"

#include "aax/AAX_VDescriptionHost.h"
#include "aax/AAX_VEffectDescriptor.h"
#include "aax/AAX_VPropertyMap.h"

AAX_VCollection::AAX_VCollection(IACFUnknown* host_)
    : host(host_), factory(acfQuery<IACFComponentFactory>(host_, IID_IACFComponentFactory)),
      v1(acfQuery<AAX_IACFCollection>(host_, IID_IACFCollection)),
      descriptionHost(std::make_unique<AAX_VDescriptionHost>(host_)) {
    if (host) host->AddRef();
}

AAX_VCollection::~AAX_VCollection() {
    propertyMaps.clear();
    descriptors.clear();
    descriptionHost.reset();
    acfRelease(v1);
    acfRelease(factory);
    acfRelease(host);
}

AAX_VEffectDescriptor* AAX_VCollection::NewDescriptor() {
    auto descriptor = std::make_unique<AAX_VEffectDescriptor>(host);
    if (!descriptor->GetIUnknown()) return nullptr;
    descriptors.push_back(std::move(descriptor));
    return descriptors.back().get();
}

AAX_Result AAX_VCollection::AddEffect(const char* effectID, AAX_VEffectDescriptor* descriptor) {
    IACFUnknown* object = descriptor ? descriptor->GetIUnknown() : nullptr;
    if (!v1 || !object) return AAX_ERROR_NULL_OBJECT;
    return v1->AddEffect(effectID, object);
}

AAX_Result AAX_VCollection::SetManufacturerName(const char* name) { return v1 ? v1->SetManufacturerName(name) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VCollection::AddPackageName(const char* name) { return v1 ? v1->AddPackageName(name) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VCollection::SetPackageVersion(uint32_t version) { return v1 ? v1->SetPackageVersion(version) : AAX_ERROR_NULL_OBJECT; }

AAX_VPropertyMap* AAX_VCollection::NewPropertyMap() {
    propertyMaps.emplace_back(AAX_VPropertyMap::Create(factory));
    return propertyMaps.back().get();
}

AAX_Result AAX_VCollection::SetProperties(AAX_VPropertyMap* properties) {
    IACFUnknown* map = properties ? properties->GetIUnknown() : nullptr;
    if (!v1 || !map) return AAX_ERROR_NULL_OBJECT;
    return v1->SetProperties(map);
}

IACFUnknown* AAX_VCollection::GetPlugInDefinition() const { return v1 ? v1->GetPlugInDefinition() : nullptr; }
