#pragma once
// The GUI interface the host calls on the plug-in's view object.  Slot k is
// the k-th operation, counting QueryInterface, AddRef and Release as 0-2.

#include "aax/AAXHostInterfaces.h"
#include "aax/CACFUnknown.h"

inline constexpr acfIID IID_IACFEffectGUI = {0x964E323D, 0x424C, 0x5E1A, {0x22, 0x27, 0x28, 0x24, 0x23, 0x22, 0x2E, 0x1E}};

class AAX_IACFEffectGUI : public IACFUnknown {
public:
    virtual AAX_Result Initialize(IACFUnknown* host) = 0;                                         // 3
    virtual AAX_Result Uninitialize() = 0;                                                        // 4
    virtual AAX_Result NotificationReceived(uint32_t type, const void* data, uint32_t size) = 0;  // 5
    virtual AAX_Result SetViewContainer(IACFUnknown* container) = 0;                              // 6
    virtual AAX_Result GetViewSize(AAX_Point* size) const = 0;                                    // 7
    virtual AAX_Result Draw(AAX_Rect* area) = 0;                                                  // 8
    virtual AAX_Result TimerWakeup() = 0;                                                         // 9
    virtual AAX_Result ParameterUpdated(const char* id) = 0;                                      // 10
    virtual AAX_Result GetCustomLabel(const char* id, AAX_IString* label) const = 0;              // 11
    virtual AAX_Result SetControlHighlightInfo(const char* id, bool highlighted, int32_t color) = 0;  // 12
};

class AAX_IEffectGUI : public AAX_IACFEffectGUI, public CACFUnknown {
public:
    ACF_DECLARE_STANDARD_UNKNOWN()
};
