#include "aax/AAX_VComponentDescriptor.h"

#include "aax/AAX_VPropertyMap.h"
#include "aax/HostServices.h"

namespace {

IACFUnknown* hostInterfaceOf(const AAX_VPropertyMap* map) { return map ? map->GetIUnknown() : nullptr; }

}  // namespace

AAX_VComponentDescriptor::AAX_VComponentDescriptor(IACFUnknown* host)
    : factory(acfQuery<IACFComponentFactory>(host, IID_IACFComponentFactory)) {
    void* made = nullptr;
    if (!factory || factory->CreateComponent(CLSID_ComponentDescriptor, IID_IACFUnknown, &made) != ACF_OK || !made) return;
    auto* object = static_cast<IACFUnknown*>(made);
    v1 = acfQuery<AAX_IACFComponentDescriptor>(object, IID_IACFComponentDescriptor);
    v2 = acfQuery<AAX_IACFComponentDescriptor_V2>(object, IID_IACFComponentDescriptor_V2);
    v3 = acfQuery<AAX_IACFComponentDescriptor_V3>(object, IID_IACFComponentDescriptor_V3);
    object->Release();
}

AAX_VComponentDescriptor::~AAX_VComponentDescriptor() {
    propertyMaps.clear();
    acfRelease(v3);
    acfRelease(v2);
    acfRelease(v1);
    acfRelease(factory);
}

AAX_Result AAX_VComponentDescriptor::Clear() { return v1 ? v1->Clear() : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VComponentDescriptor::AddAudioIn(uint32_t field) { return v1 ? v1->AddAudioIn(field) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VComponentDescriptor::AddAudioOut(uint32_t field) { return v1 ? v1->AddAudioOut(field) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VComponentDescriptor::AddAudioBufferLength(uint32_t field) { return v1 ? v1->AddAudioBufferLength(field) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VComponentDescriptor::AddSampleRate(uint32_t field) { return v1 ? v1->AddSampleRate(field) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VComponentDescriptor::AddDataInPort(uint32_t field, uint32_t size, int32_t portType) {
    return v1 ? v1->AddDataInPort(field, size, portType) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddPrivateData(uint32_t field, int32_t size, int32_t options) {
    return v1 ? v1->AddPrivateData(field, size, options) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddMIDINode(uint32_t field, int32_t nodeType, const char* name, uint32_t channelMask) {
    return v1 ? v1->AddMIDINode(field, nodeType, name, channelMask) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddProcessProc_Native(AAX_ProcessProc proc, AAX_VPropertyMap* properties, AAX_InitProc init,
                                                           AAX_BackgroundProc background, int32_t* selector) {
    return v1 ? v1->AddProcessProc_Native(proc, hostInterfaceOf(properties), init, background, selector) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddProcessProc_TI(const char* dllFile, const char* procName, AAX_VPropertyMap* properties,
                                                       const char* initName, const char* backgroundName, int32_t* selector) {
    return v1 ? v1->AddProcessProc_TI(dllFile, procName, hostInterfaceOf(properties), initName, backgroundName, selector)
              : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddTemporaryData(uint32_t field, uint32_t size) {
    return v2 ? v2->AddTemporaryData(field, size) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VComponentDescriptor::AddProcessProc(AAX_VPropertyMap* properties, int32_t* selectors, int32_t count, int32_t* added) {
    if (v3) return v3->AddProcessProc(hostInterfaceOf(properties), selectors, count, added);
    return addProcsByHand(properties, selectors, count, added);
}

AAX_Result AAX_VComponentDescriptor::addProcsByHand(AAX_VPropertyMap* properties, int32_t* selectors, int32_t count, int32_t* added) {
    int32_t made = 0;
    AAX_Result result = AAX_SUCCESS;
    auto pointer = [&](int32_t property) {
        const void* value = nullptr;
        return properties && properties->GetPointerProperty(property, &value) ? value : nullptr;
    };
    auto noteSelector = [&](int32_t selector) {
        if (selectors && made < count) selectors[made] = selector;
        ++made;
    };

    if (const void* native = pointer(AAX_eProperty_NativeProcessProc)) {
        int32_t selector = 0;
        result = AddProcessProc_Native(reinterpret_cast<AAX_ProcessProc>(const_cast<void*>(native)), properties,
                                       reinterpret_cast<AAX_InitProc>(const_cast<void*>(pointer(AAX_eProperty_NativeInstanceInitProc))),
                                       reinterpret_cast<AAX_BackgroundProc>(const_cast<void*>(pointer(AAX_eProperty_NativeBackgroundProc))),
                                       &selector);
        if (result == AAX_SUCCESS) noteSelector(selector);
    } else {
        hostTrace(kTracePriorityCheckedResult, "AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_NativeProcessProc");
    }

    const auto* dll = static_cast<const char*>(pointer(AAX_eProperty_TIDLLFileName));
    const auto* ti = static_cast<const char*>(pointer(AAX_eProperty_TIProcessProc));
    if (!ti) hostTrace(kTracePriorityCheckedResult, "AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_TIProcessProc");
    if (!dll) hostTrace(kTracePriorityCheckedResult, "AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_TIDLLFileName");
    if (ti && dll && result == AAX_SUCCESS) {
        int32_t selector = 0;
        result = AddProcessProc_TI(dll, ti, properties, static_cast<const char*>(pointer(AAX_eProperty_TIInstanceInitProc)),
                                   static_cast<const char*>(pointer(AAX_eProperty_TIBackgroundProc)), &selector);
        if (result == AAX_SUCCESS) noteSelector(selector);
    }
    if (added) *added = made;
    return result;
}

AAX_VPropertyMap* AAX_VComponentDescriptor::NewPropertyMap() {
    propertyMaps.emplace_back(AAX_VPropertyMap::Create(factory));
    return propertyMaps.back().get();
}

AAX_VPropertyMap* AAX_VComponentDescriptor::DuplicatePropertyMap(const AAX_VPropertyMap& map) {
    AAX_VPropertyMap* copy = NewPropertyMap();
    for (int32_t property = 10; property <= 401; ++property) {
        int32_t value = 0;
        const void* pointer = nullptr;
        if (map.GetProperty(property, &value)) copy->AddProperty(property, value);
        else if (map.GetPointerProperty(property, &pointer)) copy->AddPointerProperty(property, pointer);
    }
    return copy;
}
