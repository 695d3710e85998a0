#pragma once
// Wrapper of the host's collection: the plug-in's description as the
// registration builds it.  -20004 without a host collection.  Owns the
// effect-descriptor and property-map wrappers it makes and its description
// host.

#include <memory>
#include <vector>

#include "aax/AAXHostInterfaces.h"

class AAX_VDescriptionHost;
class AAX_VEffectDescriptor;
class AAX_VPropertyMap;

class AAX_VCollection {
public:
    explicit AAX_VCollection(IACFUnknown* host);
    virtual ~AAX_VCollection();
    AAX_VCollection(const AAX_VCollection&) = delete;
    AAX_VCollection& operator=(const AAX_VCollection&) = delete;

    // Null when the host cannot make a descriptor.
    virtual AAX_VEffectDescriptor* NewDescriptor();
    virtual AAX_Result AddEffect(const char* effectID, AAX_VEffectDescriptor* descriptor);
    virtual AAX_Result SetManufacturerName(const char* name);
    virtual AAX_Result AddPackageName(const char* name);
    virtual AAX_Result SetPackageVersion(uint32_t version);
    virtual AAX_VPropertyMap* NewPropertyMap();
    virtual AAX_Result SetProperties(AAX_VPropertyMap* properties);

    AAX_VDescriptionHost* DescriptionHost() const { return descriptionHost.get(); }
    // The object the registration hands to the host; not a new reference.
    IACFUnknown* GetPlugInDefinition() const;
    IACFUnknown* GetIUnknown() const { return v1; }

private:
    IACFUnknown* host = nullptr;
    IACFComponentFactory* factory = nullptr;
    AAX_IACFCollection* v1 = nullptr;
    std::unique_ptr<AAX_VDescriptionHost> descriptionHost;
    std::vector<std::unique_ptr<AAX_VEffectDescriptor>> descriptors;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> propertyMaps;
};
