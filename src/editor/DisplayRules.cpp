// What each value display and indicator shows, in its own unit, worked out
// from the stored parameter values the way the plug-in object takes them
// (the same steps and curves), so that the text a knob shows while it is
// held is what the sound does.

#include <algorithm>
#include <cmath>

#include "core/ValueLists.h"
#include "editor/InterfaceValues.h"
#include "engine/FilterChannel.h"

namespace {

using Raw = ParameterReader;

float trunc(float x) { return static_cast<float>(static_cast<int32_t>(x)); }
// min(trunc(n v), n - 1): the step a value selects.
float steps(float v, int32_t n) { return static_cast<float>(std::min(static_cast<int32_t>(v * n), n - 1)); }
// A gain as decibels; silence far below what the formatter shows as "-oo".
float decibels(float gain) { return gain > 0.0f ? 20.0f * std::log10(gain) : -200.0f; }
// The layers' envelope times: cubic, up to 2 s (layers) or 4 s (filter).
float cubed(float v, float scale) { return v * v * scale * v; }
// Amounts the engine takes in hundredths.
float hundredths(float v) { return trunc(100.0f * v) * 0.01f; }

template <int32_t Index>
float direct(const Raw& raw) {
    return raw(Index);
}
template <int32_t Index>
float amount(const Raw& raw) {
    return hundredths(raw(Index));
}
template <int32_t Index, int32_t Scale>
float envelopeTime(const Raw& raw) {
    return cubed(raw(Index), static_cast<float>(Scale));
}
template <int32_t Index>
float levelDecibels(const Raw& raw) {
    return decibels(raw(Index));
}
template <int32_t Index>
float doubledDecibels(const Raw& raw) {
    return decibels(2.0f * raw(Index));
}
// The octave knob's five steps, shown around the middle one.
template <int32_t Index>
float octave(const Raw& raw) {
    return steps(raw(Index), 5) - 2.0f;
}
template <int32_t Index>
float frequency(const Raw& raw) {
    return filterFrequency(raw(Index));
}
// A key range reads inverted when its upper key lies below its lower.
template <int32_t Lower>
float rangeInverted(const Raw& raw) {
    const auto key = [](float v) { return std::min(static_cast<int32_t>(128.0f * v), 127); };
    return key(raw(Lower + 1)) < key(raw(Lower)) ? 1.0f : 0.0f;
}
// The filter type's five lights: the type the pad sent (as type / 5) to
// the selectors, in the lights' order around the pad.
template <int32_t Light>
float filterTypeLight(const Raw& raw) {
    constexpr int32_t kLightOfType[5] = {0, 4, 1, 2, 3};
    const int32_t type = std::clamp(static_cast<int32_t>(std::lround(5.0f * raw(344))), 0, 4);
    return kLightOfType[type] == Light ? 1.0f : 0.0f;
}
// "DLY16Time": one to sixteen sixteenth notes.
template <int32_t Index>
float sixteenths(const Raw& raw) {
    return trunc(15.0f * raw(Index) + 0.5f) + 1.0f;
}

// The glide's time: a thousandth-stepped share of 94 % of a step.
float glideTime(const Raw& raw) {
    const float fraction = trunc(989.99994f * raw(80) + 9.999999f) * 0.001f;
    constexpr float kDivisors[3] = {1.0f, 2.0f, 4.0f};
    const float divisor = kDivisors[std::clamp(static_cast<int32_t>(2.0f * raw(76)), 0, 2)];
    const double stepMs = 60000.0 / std::max(raw.tempo(), 1.0) / divisor;
    return fraction * 0.94f * static_cast<float>(stepMs);
}
float kickTone(const Raw& raw) { return 8.0f * raw(4) + 12.0f; }
float masterTune(const Raw& raw) { return trunc(200.0f * raw(83) - 100.0f) * 0.01f; }
float masterAttack(const Raw& raw) { return 2000.0f * raw(1); }
float masterRelease(const Raw& raw) { return 4000.0f * raw(2); }
float resonance(const Raw& raw) { return trunc(10000.0f * raw(51)) * 0.0001f; }
float filterMix(const Raw& raw) { return trunc(9700.0f * raw(53)) * 0.0001f; }
float lane(const Raw& raw) { return trunc(std::min(5.0f * raw(350) + 0.001f, 4.0f)); }
float patternKey(const Raw& raw) { return trunc(std::clamp(24.0f * raw(78), 0.0f, 23.0f)); }
// The marker over the key strip: 195 pixels for 24 keys.
float keyMarker(const Raw& raw) { return patternKey(raw) * (195.0f / 24.0f); }

// The reverser's size picks its slice from the end of the note list.
float reverserSize(const Raw& raw) { return 1.0f - trunc(70.0f * raw(54) + 30.000002f) * 0.01f; }
// Its slices fade over 1.5 s times the decay setting.
float reverserDecay(const Raw& raw) { return 1500.0f * ((0.8f * raw(55) + 0.2f) * 0.97f + 0.03f); }
// The double delay's time as the place of its note value in the list: its
// sixteen steps run from 3/128 of a beat, straight and dotted in turn (each
// pair doubling), up to four beats.
float delayTime(const Raw& raw) {
    const int32_t k = std::clamp(static_cast<int32_t>(raw(66) * 15.0f + 0.5f), 0, 15);
    const double beats = (k % 2 ? 1.0 / 32.0 : 3.0 / 128.0) * std::ldexp(1.0, k / 2);
    const ValueList& list = *valueLists()->parent;
    int32_t nearest = 0;
    for (int32_t i = 1; i < list.count; ++i)
        if (std::fabs(list.entries[i].beats - beats) < std::fabs(list.entries[nearest].beats - beats)) nearest = i;
    return list.count > 1 ? static_cast<float>(nearest) / static_cast<float>(list.count - 1) : 0.0f;
}

struct DisplayRule {
    int32_t tag;
    InterfaceValues::Rule rule;
};

constexpr DisplayRule kRules[] = {
    // main page
    {97, glideTime},
    {149, kickTone},
    {155, lane},
    {157, amount<77>},
    {158, direct<93>},
    {159, direct<94>},
    {161, patternKey},
    {190, masterAttack},
    {195, doubledDecibels<0>},
    {196, doubledDecibels<3>},
    {202, masterRelease},
    {360, keyMarker},
    // sound page: the three layers
    {99, direct<11>},
    {100, octave<10>},
    {102, amount<12>},
    {103, envelopeTime<13, 2000>},
    {104, envelopeTime<14, 2000>},
    {105, direct<15>},
    {106, envelopeTime<16, 2000>},
    {107, envelopeTime<24, 2000>},
    {108, envelopeTime<25, 2000>},
    {109, direct<26>},
    {110, envelopeTime<27, 2000>},
    {115, rangeInverted<87>},
    {116, rangeInverted<89>},
    {117, rangeInverted<91>},
    {118, envelopeTime<35, 2000>},
    {119, envelopeTime<36, 2000>},
    {120, direct<37>},
    {121, envelopeTime<38, 2000>},
    {123, direct<22>},
    {124, octave<21>},
    {126, amount<23>},
    {128, direct<33>},
    {129, octave<32>},
    {131, amount<34>},
    {137, levelDecibels<17>},
    {138, levelDecibels<28>},
    {139, levelDecibels<39>},
    {140, masterTune},
    {142, direct<18>},
    {143, direct<29>},
    {144, direct<40>},
    // sound page: the filter
    {111, envelopeTime<46, 4000>},
    {112, envelopeTime<47, 4000>},
    {113, direct<48>},
    {114, envelopeTime<49, 4000>},
    {132, filterTypeLight<0>},
    {133, filterTypeLight<1>},
    {134, filterTypeLight<2>},
    {135, filterTypeLight<3>},
    {136, filterTypeLight<4>},
    {141, amount<45>},
    {145, resonance},
    {146, filterMix},
    {147, frequency<50>},
    {148, frequency<52>},
    // effects pages
    {164, reverserSize},
    {165, reverserDecay},
    {166, direct<56>},
    {167, direct<57>},
    {168, direct<59>},
    {169, direct<60>},
    {170, direct<61>},
    {172, direct<63>},
    {173, direct<64>},
    {174, direct<65>},
    {175, delayTime},
    {176, direct<68>},
    {177, direct<67>},
    {178, direct<69>},
    {179, direct<70>},
    {180, direct<72>},
    {181, direct<71>},
    {182, direct<73>},
    {183, direct<62>},
    {185, direct<58>},
    {186, sixteenths<85>},
    {187, sixteenths<84>},
    {188, direct<86>},
};

}  // namespace

InterfaceValues::Rule displayRule(int32_t tag) {
    for (const DisplayRule& r : kRules)
        if (r.tag == tag) return r.rule;
    return nullptr;
}
