#include "aax/BWAAXDescription.h"

#include <exception>
#include <memory>

#include "aax/AAXException.h"
#include "aax/AAX_CheckedResult.h"
#include "aax/AAX_SPlugInChunk.h"
#include "aax/AAX_VCollection.h"
#include "aax/AAX_VComponentDescriptor.h"
#include "aax/AAX_VEffectDescriptor.h"
#include "aax/AAX_VPropertyMap.h"
#include "aax/BWAAXWrapperCustomView.h"
#include "aax/BWAAXWrapperParameters.h"
#include "aax/HostServices.h"

namespace {

const char* const kWrapperSource = "..\\..\\Shared\\AAXWrapper\\BWAAXWrapper";

enum : int32_t {
    kPropertyManufacturerID = 11,
    kPropertyProductID = 12,
    kPropertyPlugInID = 13,
    kPropertyCanBypass = 60,
    kPropertyUsesClientGUI = 151,
};

enum : int32_t { kProcCreateParameters = 0, kProcCreateGUI = 1 };
enum : int32_t { kMidiNodeLocalInput = 0, kMidiNodeLocalOutput = 1 };
constexpr int32_t kPortTypeUnbuffered = 1;

using CreateProc = IACFUnknown* (*)();

int32_t code(const char (&text)[5]) { return int32_t(fourCharID(text)); }

}  // namespace

AAX_Result DescribeAlgorithmComponent(uint32_t format, AAX_VComponentDescriptor& component) {
    AAX_VPropertyMap* properties = component.NewPropertyMap();
    component.AddAudioIn(kFieldAudioIn);
    component.AddAudioOut(kFieldAudioOut);
    component.AddAudioBufferLength(kFieldBufferLength);
    component.AddDataInPort(kFieldBypass, 4, kPortTypeUnbuffered);
    component.AddDataInPort(kFieldInstance, 8, kPortTypeUnbuffered);
    component.AddMIDINode(kFieldMidiIn, kMidiNodeLocalInput, "Zorvane", 1);
    component.AddMIDINode(kFieldMidiOut, kMidiNodeLocalOutput, "Zorvane", 0xFFFF);
    const AAX_Result result = properties->AddProperty(kPropertyCanBypass, 1);
    if (format != kChannelFormatMono && format != kChannelFormatStereo) return result;
    const bool mono = format == kChannelFormatMono;
    properties->AddProperty(AAX_eProperty_InputStemFormat, int32_t(format));
    properties->AddProperty(AAX_eProperty_OutputStemFormat, int32_t(format));
    properties->AddProperty(kPropertyPlugInID, mono ? code("HMRF") : code("HSRF"));
    return component.AddProcessProc_Native(mono ? &AlgorithmProcess_Mono : &AlgorithmProcess_Stereo, properties, nullptr, nullptr, nullptr);
}

AAX_Result DescribeEffect(AAX_VEffectDescriptor& effect) {
    const struct {
        uint32_t format;
        int32_t line;
    } components[] = {{kChannelFormatMono, 145}, {kChannelFormatStereo, 150}};
    for (const auto& component : components) {
        AAX_VComponentDescriptor* descriptor = effect.NewComponentDescriptor();
        DescribeAlgorithmComponent(component.format, *descriptor);
        const AAX_Result err = effect.AddComponent(descriptor);
        if (err != 0) hostAssert(kWrapperSource, component.line, "err == 0");
    }
    AAX_VPropertyMap* properties = effect.NewPropertyMap();
    properties->AddProperty(kPropertyManufacturerID, code("BrWk"));
    properties->AddProperty(kPropertyProductID, code("BWZv"));
    properties->AddProperty(kPropertyCanBypass, 1);
    properties->AddProperty(kPropertyUsesClientGUI, 0);
    effect.AddProcPtr(reinterpret_cast<void*>(CreateProc(&BWAAXWrapperParameters::Create)), kProcCreateParameters);
    effect.AddProcPtr(reinterpret_cast<void*>(CreateProc(&BWAAXWrapperParameters::BWAAXWrapperCustomView::Create)), kProcCreateGUI);
    effect.AddCategory(kCategorySoftwareGenerator);
    effect.AddName("Zorvane");
    effect.SetProperties(properties);
    return AAX_SUCCESS;
}

AAX_Result GetEffectDescriptions(AAX_VCollection& collection) {
    AAX_VEffectDescriptor* descriptor = collection.NewDescriptor();
    if (!descriptor) return AAX_ERROR_NULL_OBJECT;
    DescribeEffect(*descriptor);
    collection.AddEffect(kEffectID, descriptor);
    collection.SetManufacturerName("Brindlewick");
    collection.AddPackageName("Zorvane");
    return AAX_SUCCESS;
}

AAX_Result AAXRegisterPlugin(IACFUnknown* host, IACFUnknown** definition) {
    std::unique_ptr<AAX_VCollection> collection;
    try {
        collection = std::make_unique<AAX_VCollection>(host);
        AAX_CheckedResult checked(GetEffectDescriptions(*collection));
        if (definition) *definition = nullptr;
        IACFUnknown* object = collection->GetPlugInDefinition();
        void* out = nullptr;
        const ACFRESULT queried = object ? object->QueryInterface(IID_IACFPluginDefinition, &out) : ACF_E_NOINTERFACE;
        checked = queried == ACF_OK ? AAX_SUCCESS : AAX_ERROR_NULL_OBJECT;
        if (definition) *definition = static_cast<IACFUnknown*>(out);
        else if (out) static_cast<IACFUnknown*>(out)->Release();
        return AAX_SUCCESS;
    } catch (const AAX::Exception::ResultError& error) {
        hostTrace(kTracePriorityError, "AAXRegisterPlugin exception caught: %s", error.what());
        return error.Result();
    } catch (const AAX::Exception::Any& error) {
        hostTrace(kTracePriorityError, "AAXRegisterPlugin exception caught: %s", error.what());
    } catch (const std::exception& error) {
        hostTrace(kTracePriorityError, "AAXRegisterPlugin exception caught: %s", error.what());
    } catch (...) {
        hostTrace(kTracePriorityError, "AAXRegisterPlugin exception caught: unknown");
    }
    return AAX_ERROR_UNKNOWN_EXCEPTION;
}
