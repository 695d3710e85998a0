#pragma once
// The module's effect as a host finds it (registered once, in this
// process), and the core behind an instance the benchmarks drive directly.

#include "aax/BWAAXDescription.h"
#include "aax/BWAAXWrapperParameters.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "plugin/BWUniClient.h"

inline const HostEffectDescriptor& moduleEffect() {
    static HostRegistrar* registrar = [] {
        auto* made = new HostRegistrar();
        IACFUnknown* definition = nullptr;
        AAXRegisterPlugin(made->unknown(), &definition);
        if (definition) definition->Release();
        return made;
    }();
    return *registrar->effect();
}

inline BWUniClient& clientOf(HostInstance& instance) {
    return *dynamic_cast<BWAAXWrapperParameters*>(instance.effect())->getCore();
}
