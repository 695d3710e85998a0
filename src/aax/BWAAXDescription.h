#pragma once
// The plug-in's description as the host registers it: one software-generator
// effect, "Zorvane" by "Brindlewick", with a mono and a stereo component.
// Host main thread, during ACFRegisterPlugin.

#include <cstdint>

#include "aax/AAXHostInterfaces.h"

class AAX_VCollection;
class AAX_VComponentDescriptor;
class AAX_VEffectDescriptor;

inline constexpr uint32_t kChannelFormatMono = 1;
inline constexpr uint32_t kChannelFormatStereo = 0x00010002;
inline constexpr uint32_t kCategorySoftwareGenerator = 0x800;
inline constexpr const char* kEffectID = "com.brindlewick.aax.Zorvane";

AAX_Result DescribeEffect(AAX_VEffectDescriptor& effect);
AAX_Result DescribeAlgorithmComponent(uint32_t channelFormat, AAX_VComponentDescriptor& component);
AAX_Result GetEffectDescriptions(AAX_VCollection& collection);
// Builds the description into the host's collection and hands the host the
// plug-in definition.  Every failure becomes a result code and a trace line.
AAX_Result AAXRegisterPlugin(IACFUnknown* host, IACFUnknown** definition);
