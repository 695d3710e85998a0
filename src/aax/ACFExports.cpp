// The seven entry points the host finds by name.  No exception ever leaves
// one of them.  The host calls them from one thread at a time.

#include <cstdint>

#include "aax/ACFExports.h"
#include "aax/BWAAXDescription.h"
#include "aax/CACFUnknown.h"
#include "aax/HostServices.h"

#define ACF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
constexpr uint64_t kSDKVersion = 0x00000204013449EAull;
}

ACF_EXPORT ACFRESULT ACFRegisterPlugin(IACFUnknown* host, IACFUnknown** definition) {
    try {
        return AAXRegisterPlugin(host, definition);
    } catch (...) {
        return ACF_E_UNEXPECTED;
    }
}

ACF_EXPORT ACFRESULT ACFRegisterComponent(IACFUnknown*, const acfIID*, IACFUnknown** component) {
    if (component) *component = nullptr;
    return ACF_OK;
}

ACF_EXPORT ACFRESULT ACFGetClassFactory(IACFUnknown*, const acfIID*, const acfIID*, void** factory) {
    if (factory) *factory = nullptr;
    return AAX_ERROR_UNIMPLEMENTED;
}

ACF_EXPORT ACFRESULT ACFCanUnloadNow() { return CACFUnknown::GetActiveObjectCount(); }

ACF_EXPORT ACFRESULT ACFStartup(IACFUnknown* host) {
    try {
        hostServicesSet(host);
        return ACF_OK;
    } catch (...) {
        return ACF_E_UNEXPECTED;
    }
}

ACF_EXPORT ACFRESULT ACFShutdown() {
    try {
        hostServicesSet(nullptr);
        return ACF_OK;
    } catch (...) {
        return ACF_E_UNEXPECTED;
    }
}

ACF_EXPORT ACFRESULT ACFGetSDKVersion(uint64_t* version) {
    if (!version) return AAX_ERROR_NULL_ARGUMENT;
    *version = kSDKVersion;
    return ACF_OK;
}
