#pragma once
// A host for the AAX support classes: one object that answers the interfaces
// a test switches on, records what the plug-in side calls, and makes property
// maps and page tables through its component factory.

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "aax/AAXHostInterfaces.h"
#include "aax/AAX_IACFEffectParameters.h"
#include "aax/AAX_IAutomationDelegate.h"

// Counts references like a host object would and frees nothing (tests own it).
template <typename Base>
class FakeUnknown : public Base {
public:
    uint32_t AddRef() override { return ++references; }
    uint32_t Release() override { return --references; }
    int references = 0;
};

class FakePropertyMap final : public FakeUnknown<AAX_IACFPropertyMap_V3> {
public:
    explicit FakePropertyMap(int versions_) : versions(versions_) {}
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    int32_t GetProperty(int32_t property, int32_t* value) const override;
    AAX_Result AddProperty(int32_t property, int32_t value) override;
    AAX_Result RemoveProperty(int32_t property) override { return values.erase(property) ? 0 : -1; }
    int32_t GetPointerProperty(int32_t property, intptr_t* value) const override;
    AAX_Result AddPointerProperty(int32_t property, intptr_t value) override;
    AAX_Result RemovePointerProperty(int32_t property) override { return pointers.erase(property) ? 0 : -1; }

    int versions;
    std::map<int32_t, int32_t> values;
    std::map<int32_t, intptr_t> pointers;
};

class FakeHost final : public FakeUnknown<IACFComponentFactory>,
                       public AAX_IACFHostServices_V3,
                       public AAX_IACFController,
                       public AAX_IACFTransport,
                       public AAX_IACFAutomationDelegate,
                       public AAX_IACFViewContainer {
public:
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    uint32_t AddRef() override { return FakeUnknown<IACFComponentFactory>::AddRef(); }
    uint32_t Release() override { return FakeUnknown<IACFComponentFactory>::Release(); }
    ACFRESULT CreateComponent(const acfIID& classID, const acfIID& iid, void** out) override;

    IACFUnknown* unknown() { return static_cast<IACFComponentFactory*>(this); }

    // host services
    AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t type) override;
    AAX_Result Trace(int32_t priority, const char* text) override;
    AAX_Result StackTrace(int32_t, int32_t, const char*) override { return 0; }
    AAX_Result TraceWithStack(int32_t, const char*, int32_t) override { return 0; }

    // controller
    AAX_Result GetEffectID(AAX_IString*) const override { return 0; }
    AAX_Result GetSampleRate(float* rate) const override;
    AAX_Result GetInputStemFormat(int32_t*) const override { return 0; }
    AAX_Result GetOutputStemFormat(int32_t*) const override { return 0; }
    AAX_Result GetSignalLatency(int32_t*) const override { return 0; }
    AAX_Result SetSignalLatency(int32_t) override { return 0; }
    AAX_Result PostPacket(uint32_t fieldIndex, const void* data, uint32_t size) override;
    AAX_Result GetCurrentMeterValue(uint32_t, float*) const override { return 0; }

    // transport
    AAX_Result GetCurrentTempo(double* bpm) const override;
    AAX_Result GetCurrentMeter(int32_t*, int32_t*) const override { return 0; }
    AAX_Result IsTransportPlaying(bool*) const override { return 0; }
    AAX_Result GetCurrentTickPosition(int64_t*) const override { return 0; }
    AAX_Result GetCurrentLoopPosition(bool*, int64_t*, int64_t*) const override { return 0; }
    AAX_Result GetCurrentNativeSampleLocation(int64_t*) const override { return 0; }
    AAX_Result GetCustomTickPosition(int64_t*, int64_t) const override { return 0; }
    AAX_Result GetBarBeatPosition(int32_t*, int32_t*, int64_t*, int64_t) const override { return 0; }
    AAX_Result GetTicksPerQuarter(uint32_t*) const override { return 0; }
    AAX_Result GetCurrentTicksPerBeat(uint32_t*) const override { return 0; }

    // automation: every call is logged as "name(id[,value])"
    AAX_Result RegisterParameter(const char* id) override;
    AAX_Result UnregisterParameter(const char* id) override;
    AAX_Result PostSetValueRequest(const char* id, double normalized) const override;
    AAX_Result PostCurrentValue(const char* id, double normalized) const override;
    AAX_Result PostTouchRequest(const char* id) override;
    AAX_Result PostReleaseRequest(const char* id) override;
    AAX_Result GetTouchState(const char*, bool*) override { return 0; }

    // view container
    int32_t GetType() override { return 7; }
    void* GetPtr() override { return &window; }
    AAX_Result GetModifiers(uint32_t*) override { return 0; }
    AAX_Result SetViewSize(AAX_Point& size) override;

    // When set, a set-value request is applied at once, as a host does.
    AAX_IACFEffectParameters* applyTo = nullptr;
    // Answered to a query for the effect-parameters interface (the GUI's way
    // to its instance).
    AAX_IACFEffectParameters* effect = nullptr;
    std::set<std::string> offered;  // interface names this host answers, e.g. "controller"
    bool nullFactory = false;       // the factory query succeeds with no object
    float sampleRate = 48000;
    double tempo = 96;
    AAX_Result postResult = 0;
    int window = 0;
    std::vector<std::string> asserts;
    std::vector<std::string> traces;
    mutable std::vector<std::string> automation;
    std::vector<std::vector<uint8_t>> posts;  // port byte, then the data
    std::vector<FakePropertyMap*> maps;       // made through the factory
    int mapVersions = 3;

    ~FakeHost();
};

// An automation delegate that records the calls, for parameters alone.
class RecordingAutomation : public AAX_IAutomationDelegate {
public:
    AAX_Result RegisterParameter(const char* id) override { return log("register", id); }
    AAX_Result UnregisterParameter(const char* id) override { return log("unregister", id); }
    AAX_Result PostSetValueRequest(const char* id, double v) const override { return log("request", id, v); }
    AAX_Result PostCurrentValue(const char* id, double v) const override { return log("current", id, v); }
    AAX_Result PostTouchRequest(const char* id) override { return log("touch", id); }
    AAX_Result PostReleaseRequest(const char* id) override { return log("release", id); }
    AAX_Result GetTouchState(const char*, bool*) override { return 0; }

    mutable std::vector<std::string> calls;

private:
    AAX_Result log(const char* name, const char* id, double value = -1) const;
};

std::string automationCall(const char* name, const char* id, double value = -1);
