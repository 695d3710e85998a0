#pragma once
// The host side of the registration: the collection, effect and component
// descriptors and property maps that the plug-in fills through its
// wrappers, each recording what it was told in the order it was told, so
// that `describe` can print it and the host can find the procedures.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "aax/AAXHostInterfaces.h"
#include "host/HostObject.h"

class HostPropertyMap final : public HostObject<AAX_IACFPropertyMap_V3> {
public:
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    int32_t GetProperty(int32_t property, int32_t* value) const override;
    AAX_Result AddProperty(int32_t property, int32_t value) override;
    AAX_Result RemoveProperty(int32_t property) override;
    int32_t GetPointerProperty(int32_t property, intptr_t* value) const override;
    AAX_Result AddPointerProperty(int32_t property, intptr_t value) override;
    AAX_Result RemovePointerProperty(int32_t property) override;

    std::vector<std::pair<int32_t, int32_t>> values;  // in the order added
    std::map<int32_t, intptr_t> pointers;
};

class HostComponentDescriptor final : public HostObject<AAX_IACFComponentDescriptor> {
public:
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    AAX_Result Clear() override;
    AAX_Result AddAudioIn(uint32_t field) override;
    AAX_Result AddAudioOut(uint32_t field) override;
    AAX_Result AddAudioBufferLength(uint32_t field) override;
    AAX_Result AddSampleRate(uint32_t field) override;
    AAX_Result AddDataInPort(uint32_t field, uint32_t size, int32_t portType) override;
    AAX_Result AddPrivateData(uint32_t field, int32_t size, int32_t options) override;
    AAX_Result AddMIDINode(uint32_t field, int32_t nodeType, const char* name, uint32_t channelMask) override;
    AAX_Result AddProcessProc_Native(AAX_ProcessProc proc, IACFUnknown* properties, AAX_InitProc init, AAX_BackgroundProc background,
                                     int32_t* selector) override;
    AAX_Result AddProcessProc_TI(const char*, const char*, IACFUnknown*, const char*, const char*, int32_t*) override;

    std::vector<std::string> fields;  // one line per declaration, in order
    AAX_ProcessProc process = nullptr;
    const HostPropertyMap* processProperties = nullptr;
    int32_t outputStemFormat() const;

private:
    AAX_Result note(std::string line) {
        fields.push_back(std::move(line));
        return AAX_SUCCESS;
    }
};

class HostEffectDescriptor final : public HostObject<AAX_IACFEffectDescriptor> {
public:
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    AAX_Result AddComponent(IACFUnknown* component) override;
    AAX_Result AddName(const char* name) override;
    AAX_Result AddCategory(uint32_t category) override;
    AAX_Result AddCategoryBypassParameter(uint32_t category, const char* id) override;
    AAX_Result AddProcPtr(void* procedure, int32_t procID) override;
    AAX_Result SetProperties(IACFUnknown* properties) override;
    AAX_Result AddResourceInfo(int32_t type, const char* path) override;

    std::vector<std::string> names;
    std::vector<uint32_t> categories;
    std::vector<HostComponentDescriptor*> components;
    std::vector<std::pair<int32_t, void*>> procedures;  // (id, pointer) in order
    const HostPropertyMap* properties = nullptr;
    void* procedure(int32_t id) const;
};

class HostCollection final : public HostObject<AAX_IACFCollection> {
public:
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    AAX_Result AddEffect(const char* effectID, IACFUnknown* descriptor) override;
    AAX_Result SetManufacturerName(const char* name) override;
    AAX_Result AddPackageName(const char* name) override;
    AAX_Result SetPackageVersion(uint32_t version) override;
    AAX_Result SetProperties(IACFUnknown* properties) override;
    IACFUnknown* GetPlugInDefinition() override { return &definition; }

    struct Definition final : HostObject<IACFUnknown> {
        ACFRESULT QueryInterface(const acfIID& iid, void** out) override { return answerQuery(this, iid, out, {IID_IACFUnknown, IID_IACFPluginDefinition}); }
    } definition;
    std::vector<std::pair<std::string, HostEffectDescriptor*>> effects;
    std::string manufacturer;
    std::vector<std::string> packages;
};

// The object the host hands to ACFStartup and ACFRegisterPlugin: the
// component factory (descriptors, maps, host services), the collection and
// the host services, with the traces and assertions they received.
class HostRegistrar final : public HostObject<IACFComponentFactory>, public AAX_IACFHostServices {
public:
    HostRegistrar();
    ~HostRegistrar();
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    uint32_t AddRef() override { return HostObject<IACFComponentFactory>::AddRef(); }
    uint32_t Release() override { return HostObject<IACFComponentFactory>::Release(); }
    ACFRESULT CreateComponent(const acfIID& classID, const acfIID& iid, void** out) override;
    AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t type) override;
    AAX_Result Trace(int32_t priority, const char* text) override;

    IACFUnknown* unknown() { return static_cast<IACFComponentFactory*>(this); }
    // The registered effect, or null.
    const HostEffectDescriptor* effect() const;
    // The whole description as text, in the order the plug-in gave it.
    std::string describe() const;

    HostCollection collection;
    bool refuseDescriptors = false;  // the factory then makes no effect descriptor
    std::vector<std::string> traces;
    std::vector<std::string> asserts;

private:
    std::vector<std::unique_ptr<HostPropertyMap>> maps;
    std::vector<std::unique_ptr<HostEffectDescriptor>> effects;
    std::vector<std::unique_ptr<HostComponentDescriptor>> components;
};
