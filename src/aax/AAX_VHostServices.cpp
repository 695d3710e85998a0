#include "aax/AAX_VHostServices.h"

AAX_VHostServices::AAX_VHostServices(IACFUnknown* host) {
    if (!host) return;
    void* factoryOut = nullptr;
    if (host->QueryInterface(IID_IACFComponentFactory, &factoryOut) != ACF_OK) return;
    if (!factoryOut) throw ACF_E_POINTER;
    auto* factory = static_cast<IACFComponentFactory*>(factoryOut);
    void* objectOut = nullptr;
    const ACFRESULT made = factory->CreateComponent(CLSID_HostServices, IID_IACFUnknown, &objectOut);
    factory->Release();
    if (made != ACF_OK || !objectOut) return;
    auto* object = static_cast<IACFUnknown*>(objectOut);
    v1 = acfQuery<AAX_IACFHostServices>(object, IID_IACFHostServices);
    v2 = acfQuery<AAX_IACFHostServices_V2>(object, IID_IACFHostServices_V2);
    v3 = acfQuery<AAX_IACFHostServices_V3>(object, IID_IACFHostServices_V3);
    object->Release();
}

AAX_VHostServices::~AAX_VHostServices() {
    acfRelease(v3);
    acfRelease(v2);
    acfRelease(v1);
}

AAX_Result AAX_VHostServices::HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t type) const {
    return v1 ? v1->HandleAssertFailure(file, line, expression, type) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VHostServices::Trace(int32_t priority, const char* text) const {
    return v1 ? v1->Trace(priority, text) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VHostServices::StackTrace(int32_t tracePriority, int32_t stackPriority, const char* text) const {
    return v2 ? v2->StackTrace(tracePriority, stackPriority, text) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VHostServices::TraceWithStack(int32_t priority, const char* text, int32_t depth) const {
    return v3 ? v3->TraceWithStack(priority, text, depth) : AAX_ERROR_NULL_OBJECT;
}
