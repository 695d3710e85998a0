#pragma once
// The module's entry points, as the host stand-in and the tests call them.

#include <cstdint>

#include "aax/ACFUnknown.h"

extern "C" {
ACFRESULT ACFRegisterPlugin(IACFUnknown* host, IACFUnknown** definition);
ACFRESULT ACFRegisterComponent(IACFUnknown* host, const acfIID* componentID, IACFUnknown** component);
ACFRESULT ACFGetClassFactory(IACFUnknown* host, const acfIID* classID, const acfIID* interfaceID, void** factory);
ACFRESULT ACFCanUnloadNow();
ACFRESULT ACFStartup(IACFUnknown* host);
ACFRESULT ACFShutdown();
ACFRESULT ACFGetSDKVersion(uint64_t* version);
}

using ACFRegisterPluginProc = decltype(&ACFRegisterPlugin);
using ACFRegisterComponentProc = decltype(&ACFRegisterComponent);
using ACFGetClassFactoryProc = decltype(&ACFGetClassFactory);
using ACFCanUnloadNowProc = decltype(&ACFCanUnloadNow);
using ACFStartupProc = decltype(&ACFStartup);
using ACFShutdownProc = decltype(&ACFShutdown);
using ACFGetSDKVersionProc = decltype(&ACFGetSDKVersion);
