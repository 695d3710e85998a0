#pragma once
// The component framework's base interface and its 16-byte interface ids.
//
// Every object that crosses between host and plug-in is reached through a
// table of virtual operations whose first three slots are QueryInterface,
// AddRef and Release.  Interfaces have no virtual destructor: an object is
// freed by its own last Release, never by the holder of an interface.

#include <cstdint>
#include <cstring>

using ACFRESULT = int32_t;

struct acfIID {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(acfIID) == 16);

inline bool operator==(const acfIID& a, const acfIID& b) { return std::memcmp(&a, &b, sizeof(acfIID)) == 0; }

// Framework results beside the AAX codes.
inline constexpr ACFRESULT ACF_OK = 0;
inline constexpr ACFRESULT ACF_E_NOINTERFACE = static_cast<ACFRESULT>(0x80000004u);
inline constexpr ACFRESULT ACF_E_POINTER = static_cast<ACFRESULT>(0x80000005u);
inline constexpr ACFRESULT ACF_E_UNEXPECTED = static_cast<ACFRESULT>(0x8000FFFFu);

class IACFUnknown {
public:
    virtual ACFRESULT QueryInterface(const acfIID& iid, void** out) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IACFUnknown() = default;
};

inline constexpr acfIID IID_IACFUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr acfIID IID_IACFComponentFactory = {0x382B6A96, 0x7FD0, 0x11D6, {0xBC, 0xFE, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};
inline constexpr acfIID IID_IACFPluginDefinition = {0x00EEF015, 0x7FD0, 0x11D6, {0x84, 0x85, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};

// Makes host-side objects (host services, descriptors, property maps, page
// tables) by class id.
class IACFComponentFactory : public IACFUnknown {
public:
    virtual ACFRESULT CreateComponent(const acfIID& classID, const acfIID& iid, void** out) = 0;

protected:
    ~IACFComponentFactory() = default;
};

// Asks `object` for interface `iid`; null when the object is null or refuses.
// The caller owns the reference it gets.
template <typename Interface>
Interface* acfQuery(IACFUnknown* object, const acfIID& iid) {
    if (!object) return nullptr;
    void* out = nullptr;
    if (object->QueryInterface(iid, &out) != ACF_OK) return nullptr;
    return static_cast<Interface*>(out);
}

// Drops a reference and clears the pointer.
template <typename Interface>
void acfRelease(Interface*& pointer) {
    if (pointer) pointer->Release();
    pointer = nullptr;
}
