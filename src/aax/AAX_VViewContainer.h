#pragma once
// Wrapper of the host's view container (the native window the editor opens
// in).  Without a host container GetType, GetPtr and SetViewSize answer 0,
// everything else -20009.

#include "aax/AAXHostInterfaces.h"

class AAX_VViewContainer {
public:
    explicit AAX_VViewContainer(IACFUnknown* container);
    virtual ~AAX_VViewContainer();
    AAX_VViewContainer(const AAX_VViewContainer&) = delete;
    AAX_VViewContainer& operator=(const AAX_VViewContainer&) = delete;

    virtual int32_t GetType();
    virtual void* GetPtr();
    virtual AAX_Result GetModifiers(uint32_t* modifiers);
    virtual AAX_Result SetViewSize(AAX_Point& size);
    virtual AAX_Result HandleParameterMouseDown(const char* id, uint32_t modifiers);
    virtual AAX_Result HandleParameterMouseDrag(const char* id, uint32_t modifiers);
    virtual AAX_Result HandleParameterMouseUp(const char* id, uint32_t modifiers);

private:
    AAX_IACFViewContainer* v1 = nullptr;
    AAX_IACFViewContainer_V2* v2 = nullptr;
};
