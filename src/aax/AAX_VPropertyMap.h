#pragma once
// Wrapper of a host property map.  Adding and removing answer -20004 without
// a host map, the queries false.  Without the newest host version a channel
// format (properties 51 and 52) must be 0..0xCFFFF, 0xFFFF0000 or 0xFF9C0000,
// else -20039 and the host is not called.

#include "aax/AAXHostInterfaces.h"

class AAX_VPropertyMap {
public:
    // Wraps an existing host map (`map`), or, with `factory`, a new one.
    explicit AAX_VPropertyMap(IACFUnknown* map);
    static AAX_VPropertyMap* Create(IACFComponentFactory* factory);
    virtual ~AAX_VPropertyMap();
    AAX_VPropertyMap(const AAX_VPropertyMap&) = delete;
    AAX_VPropertyMap& operator=(const AAX_VPropertyMap&) = delete;

    virtual bool GetProperty(int32_t property, int32_t* value) const;
    virtual AAX_Result AddProperty(int32_t property, int32_t value);
    virtual AAX_Result RemoveProperty(int32_t property);
    // Ids 36 to 42 carry pointers; any other id stores the value as 32 bits.
    virtual bool GetPointerProperty(int32_t property, const void** value) const;
    virtual AAX_Result AddPointerProperty(int32_t property, const void* value);
    virtual AAX_Result RemovePointerProperty(int32_t property);

    // The newest host version held, or null.
    IACFUnknown* GetIUnknown() const;

    static bool isPointerProperty(int32_t property) { return property >= 36 && property <= 42; }

private:
    AAX_IACFPropertyMap* v1 = nullptr;
    AAX_IACFPropertyMap_V2* v2 = nullptr;
    AAX_IACFPropertyMap_V3* v3 = nullptr;
};
