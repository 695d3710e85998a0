#include "aax/AAX_VAutomationDelegate.h"

AAX_VAutomationDelegate::AAX_VAutomationDelegate(IACFUnknown* host)
    : v1(acfQuery<AAX_IACFAutomationDelegate>(host, IID_IACFAutomationDelegate)) {}

AAX_VAutomationDelegate::~AAX_VAutomationDelegate() { acfRelease(v1); }

AAX_Result AAX_VAutomationDelegate::RegisterParameter(const char* id) { return v1 ? v1->RegisterParameter(id) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VAutomationDelegate::UnregisterParameter(const char* id) { return v1 ? v1->UnregisterParameter(id) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VAutomationDelegate::PostSetValueRequest(const char* id, double normalized) const {
    return v1 ? v1->PostSetValueRequest(id, normalized) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VAutomationDelegate::PostCurrentValue(const char* id, double normalized) const {
    return v1 ? v1->PostCurrentValue(id, normalized) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VAutomationDelegate::PostTouchRequest(const char* id) { return v1 ? v1->PostTouchRequest(id) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VAutomationDelegate::PostReleaseRequest(const char* id) { return v1 ? v1->PostReleaseRequest(id) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VAutomationDelegate::GetTouchState(const char* id, bool* touched) {
    return v1 ? v1->GetTouchState(id, touched) : AAX_ERROR_NULL_OBJECT;
}
