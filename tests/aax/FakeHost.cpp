#include "FakeHost.h"

#include <cstdio>

std::string automationCall(const char* name, const char* id, double value) {
    std::string text = std::string(name) + "(" + id;
    if (value >= 0) {
        char number[32];
        std::snprintf(number, sizeof(number), ",%g", value);
        text += number;
    }
    return text + ")";
}

AAX_Result RecordingAutomation::log(const char* name, const char* id, double value) const {
    calls.push_back(automationCall(name, id, value));
    return 0;
}

ACFRESULT FakePropertyMap::QueryInterface(const acfIID& iid, void** out) {
    *out = nullptr;
    if (iid == IID_IACFPropertyMap || iid == IID_IACFUnknown || (iid == IID_IACFPropertyMap_V2 && versions >= 2) ||
        (iid == IID_IACFPropertyMap_V3 && versions >= 3)) {
        *out = static_cast<AAX_IACFPropertyMap_V3*>(this);
        AddRef();
        return ACF_OK;
    }
    return ACF_E_NOINTERFACE;
}

int32_t FakePropertyMap::GetProperty(int32_t property, int32_t* value) const {
    const auto found = values.find(property);
    if (found == values.end()) return 0;
    *value = found->second;
    return 1;
}

AAX_Result FakePropertyMap::AddProperty(int32_t property, int32_t value) {
    values[property] = value;
    return 0;
}

int32_t FakePropertyMap::GetPointerProperty(int32_t property, intptr_t* value) const {
    const auto found = pointers.find(property);
    if (found == pointers.end()) return 0;
    *value = found->second;
    return 1;
}

AAX_Result FakePropertyMap::AddPointerProperty(int32_t property, intptr_t value) {
    pointers[property] = value;
    return 0;
}

FakeHost::~FakeHost() {
    for (FakePropertyMap* map : maps) delete map;
}

ACFRESULT FakeHost::QueryInterface(const acfIID& iid, void** out) {
    *out = nullptr;
    auto offer = [&](const char* name, void* pointer) {
        if (!offered.count(name)) return ACF_E_NOINTERFACE;
        *out = pointer;
        AddRef();
        return ACF_OK;
    };
    if (iid == IID_IACFUnknown) return offer("unknown", unknown());
    if (iid == IID_IACFComponentFactory) {
        if (nullFactory) return ACF_OK;
        return offer("factory", static_cast<IACFComponentFactory*>(this));
    }
    if (iid == IID_IACFEffectParameters && effect) {
        *out = effect;
        effect->AddRef();
        return ACF_OK;
    }
    if (iid == IID_IACFHostServices) return offer("services", static_cast<AAX_IACFHostServices*>(this));
    if (iid == IID_IACFHostServices_V2) return offer("services", static_cast<AAX_IACFHostServices_V2*>(this));
    if (iid == IID_IACFHostServices_V3) return offer("services", static_cast<AAX_IACFHostServices_V3*>(this));
    if (iid == IID_IACFController) return offer("controller", static_cast<AAX_IACFController*>(this));
    if (iid == IID_IACFTransport) return offer("transport", static_cast<AAX_IACFTransport*>(this));
    if (iid == IID_IACFAutomationDelegate) return offer("automation", static_cast<AAX_IACFAutomationDelegate*>(this));
    if (iid == IID_IACFViewContainer) return offer("view", static_cast<AAX_IACFViewContainer*>(this));
    return ACF_E_NOINTERFACE;
}

ACFRESULT FakeHost::CreateComponent(const acfIID& classID, const acfIID&, void** out) {
    *out = nullptr;
    if (classID == CLSID_HostServices) {
        *out = unknown();
        AddRef();
        return ACF_OK;
    }
    if (classID == CLSID_PropertyMap) {
        maps.push_back(new FakePropertyMap(mapVersions));
        maps.back()->AddRef();
        *out = static_cast<AAX_IACFPropertyMap_V3*>(maps.back());
        return ACF_OK;
    }
    return ACF_E_NOINTERFACE;
}

AAX_Result FakeHost::HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t) {
    asserts.push_back(std::string(file) + ":" + std::to_string(line) + ":" + expression);
    return 0;
}

AAX_Result FakeHost::Trace(int32_t priority, const char* text) {
    char prefix[16];
    std::snprintf(prefix, sizeof(prefix), "%#x ", unsigned(priority));
    traces.push_back(prefix + std::string(text));
    return 0;
}

AAX_Result FakeHost::GetSampleRate(float* rate) const {
    *rate = sampleRate;
    return 0;
}

AAX_Result FakeHost::PostPacket(uint32_t fieldIndex, const void* data, uint32_t size) {
    std::vector<uint8_t> post{uint8_t(fieldIndex)};
    post.insert(post.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    posts.push_back(post);
    return postResult;
}

AAX_Result FakeHost::GetCurrentTempo(double* bpm) const {
    *bpm = tempo;
    return 0;
}

AAX_Result FakeHost::RegisterParameter(const char* id) { return automation.push_back(automationCall("register", id)), 0; }
AAX_Result FakeHost::UnregisterParameter(const char* id) { return automation.push_back(automationCall("unregister", id)), 0; }
AAX_Result FakeHost::PostSetValueRequest(const char* id, double v) const {
    automation.push_back(automationCall("request", id, v));
    return applyTo ? applyTo->UpdateParameterNormalizedValue(id, v, 0) : 0;
}
AAX_Result FakeHost::PostCurrentValue(const char* id, double v) const { return automation.push_back(automationCall("current", id, v)), 0; }
AAX_Result FakeHost::PostTouchRequest(const char* id) { return automation.push_back(automationCall("touch", id)), 0; }
AAX_Result FakeHost::PostReleaseRequest(const char* id) { return automation.push_back(automationCall("release", id)), 0; }

AAX_Result FakeHost::SetViewSize(AAX_Point& size) {
    traces.push_back("size " + std::to_string(int(size.horz)) + "x" + std::to_string(int(size.vert)));
    return 0;
}
