#include "aax/AAX_VViewContainer.h"

AAX_VViewContainer::AAX_VViewContainer(IACFUnknown* container)
    : v1(acfQuery<AAX_IACFViewContainer>(container, IID_IACFViewContainer)),
      v2(acfQuery<AAX_IACFViewContainer_V2>(container, IID_IACFViewContainer_V2)) {}

AAX_VViewContainer::~AAX_VViewContainer() {
    acfRelease(v2);
    acfRelease(v1);
}

int32_t AAX_VViewContainer::GetType() { return v1 ? v1->GetType() : 0; }
void* AAX_VViewContainer::GetPtr() { return v1 ? v1->GetPtr() : nullptr; }
AAX_Result AAX_VViewContainer::GetModifiers(uint32_t* modifiers) { return v1 ? v1->GetModifiers(modifiers) : AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_VViewContainer::SetViewSize(AAX_Point& size) { return v1 ? v1->SetViewSize(size) : AAX_SUCCESS; }
AAX_Result AAX_VViewContainer::HandleParameterMouseDown(const char* id, uint32_t modifiers) {
    return v2 ? v2->HandleParameterMouseDown(id, modifiers) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VViewContainer::HandleParameterMouseDrag(const char* id, uint32_t modifiers) {
    return v2 ? v2->HandleParameterMouseDrag(id, modifiers) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VViewContainer::HandleParameterMouseUp(const char* id, uint32_t modifiers) {
    return v2 ? v2->HandleParameterMouseUp(id, modifiers) : AAX_ERROR_UNIMPLEMENTED;
}
