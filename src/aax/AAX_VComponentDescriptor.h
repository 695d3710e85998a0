#pragma once
// Wrapper of a host component descriptor (one algorithm component: context
// fields, MIDI nodes, process procedures), made through the host's component
// factory.  A missing first version answers -20004, later ones -20009.  Owns
// the property-map wrappers it makes.

#include <memory>
#include <vector>

#include "aax/AAXHostInterfaces.h"

class AAX_VPropertyMap;

class AAX_VComponentDescriptor {
public:
    explicit AAX_VComponentDescriptor(IACFUnknown* host);
    virtual ~AAX_VComponentDescriptor();
    AAX_VComponentDescriptor(const AAX_VComponentDescriptor&) = delete;
    AAX_VComponentDescriptor& operator=(const AAX_VComponentDescriptor&) = delete;

    virtual AAX_Result Clear();
    virtual AAX_Result AddAudioIn(uint32_t field);
    virtual AAX_Result AddAudioOut(uint32_t field);
    virtual AAX_Result AddAudioBufferLength(uint32_t field);
    virtual AAX_Result AddSampleRate(uint32_t field);
    virtual AAX_Result AddDataInPort(uint32_t field, uint32_t size, int32_t portType);
    virtual AAX_Result AddPrivateData(uint32_t field, int32_t size, int32_t options);
    virtual AAX_Result AddMIDINode(uint32_t field, int32_t nodeType, const char* name, uint32_t channelMask);
    virtual AAX_Result AddProcessProc_Native(AAX_ProcessProc proc, AAX_VPropertyMap* properties, AAX_InitProc init, AAX_BackgroundProc background, int32_t* selector);
    virtual AAX_Result AddProcessProc_TI(const char* dllFile, const char* procName, AAX_VPropertyMap* properties, const char* initName, const char* backgroundName, int32_t* selector);
    virtual AAX_Result AddTemporaryData(uint32_t field, uint32_t size);
    // With the newest host version it forwards; without it, it adds the
    // native and the TI procedures from the map's values one by one.
    virtual AAX_Result AddProcessProc(AAX_VPropertyMap* properties, int32_t* selectors, int32_t count, int32_t* added);
    virtual AAX_VPropertyMap* NewPropertyMap();
    // A new map with every property 10..401 of `map` (its 32-bit value, else
    // its pointer value).
    virtual AAX_VPropertyMap* DuplicatePropertyMap(const AAX_VPropertyMap& map);

    IACFUnknown* GetIUnknown() const { return v1; }

private:
    AAX_Result addProcsByHand(AAX_VPropertyMap* properties, int32_t* selectors, int32_t count, int32_t* added);

    IACFComponentFactory* factory = nullptr;
    AAX_IACFComponentDescriptor* v1 = nullptr;
    AAX_IACFComponentDescriptor_V2* v2 = nullptr;
    AAX_IACFComponentDescriptor_V3* v3 = nullptr;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> propertyMaps;
};
