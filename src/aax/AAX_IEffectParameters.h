#pragma once
// The host's effect-parameters interface joined with the framework's
// reference counting; the IACFUnknown slots forward to the outer unknown.

#include "aax/AAX_IACFEffectParameters.h"
#include "aax/CACFUnknown.h"

class AAX_IEffectParameters : public AAX_IACFEffectParameters_V4, public CACFUnknown {
public:
    ACF_DECLARE_STANDARD_UNKNOWN()
};
