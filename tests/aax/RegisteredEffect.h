#pragma once
// The plug-in's effect as the AAX layer registers it with the host stand-in,
// straight from the layer (no module): one for the test program.

class HostEffectDescriptor;

const HostEffectDescriptor& registeredEffect();
