#pragma once
// Wrapper of a host effect descriptor, made through the host's component
// factory.  A missing first version answers -20004, the second -20009.  Owns
// the component-descriptor and property-map wrappers it makes.

#include <memory>
#include <vector>

#include "aax/AAXHostInterfaces.h"

class AAX_VComponentDescriptor;
class AAX_VPropertyMap;

class AAX_VEffectDescriptor {
public:
    explicit AAX_VEffectDescriptor(IACFUnknown* host);
    virtual ~AAX_VEffectDescriptor();
    AAX_VEffectDescriptor(const AAX_VEffectDescriptor&) = delete;
    AAX_VEffectDescriptor& operator=(const AAX_VEffectDescriptor&) = delete;

    virtual AAX_VComponentDescriptor* NewComponentDescriptor();
    virtual AAX_Result AddComponent(AAX_VComponentDescriptor* component);
    virtual AAX_Result AddName(const char* name);
    virtual AAX_Result AddCategory(uint32_t category);
    virtual AAX_Result AddCategoryBypassParameter(uint32_t category, const char* id);
    virtual AAX_Result AddProcPtr(void* procedure, int32_t procID);
    virtual AAX_VPropertyMap* NewPropertyMap();
    virtual AAX_Result SetProperties(AAX_VPropertyMap* properties);
    virtual AAX_Result AddResourceInfo(int32_t type, const char* path);
    virtual AAX_Result AddControlMIDINode(uint32_t nodeID, int32_t type, const char* name, uint32_t channelMask);

    IACFUnknown* GetIUnknown() const { return v1; }

private:
    IACFUnknown* host = nullptr;
    IACFComponentFactory* factory = nullptr;
    AAX_IACFEffectDescriptor* v1 = nullptr;
    AAX_IACFEffectDescriptor_V2* v2 = nullptr;
    std::vector<std::unique_ptr<AAX_VComponentDescriptor>> components;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> propertyMaps;
};
