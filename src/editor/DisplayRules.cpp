// What each value display and indicator shows, in its own unit, worked out
// from the stored parameter values with the curves the engine takes them by
// (plugin/ParameterCurves.h), so that the text a knob shows while it is
// held is what the sound does.

#include <algorithm>
#include <cmath>

#include "core/ValueLists.h"
#include "editor/DisplayTags.h"
#include "editor/InterfaceValues.h"
#include "engine/FilterChannel.h"
#include "plugin/ParameterCurves.h"
#include "plugin/ParameterTags.h"

namespace {

using Raw = ParameterReader;

using curve::truncated;
// A gain as decibels; silence far below what the formatter shows as "-oo".
float decibels(float gain) { return gain > 0.0f ? 20.0f * std::log10(gain) : -200.0f; }
// Amounts the engine takes in whole percent, shown as fractions.
float hundredths(float v) { return curve::wholePercent(v) * 0.01f; }

template <int32_t Index>
float direct(const Raw& raw) {
    return raw(Index);
}
template <int32_t Index>
float amount(const Raw& raw) {
    return hundredths(raw(Index));
}
template <int32_t Index>
float layerEnvelopeTime(const Raw& raw) {
    return curve::cubedTime(raw(Index), curve::kLayerEnvelopeMs);
}
template <int32_t Index>
float filterEnvelopeTime(const Raw& raw) {
    return curve::cubedTime(raw(Index), curve::kFilterEnvelopeMs);
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
    return static_cast<float>(curve::octaveStep(raw(Index))) - 2.0f;
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
    const int32_t type = std::clamp(static_cast<int32_t>(std::lround(5.0f * raw(Tag::FilterTypeSourceA))), 0, 4);
    return kLightOfType[type] == Light ? 1.0f : 0.0f;
}
// "DLY16Time": one to sixteen sixteenth notes.
template <int32_t Index>
float sixteenths(const Raw& raw) {
    return truncated(15.0f * raw(Index) + 0.5f) + 1.0f;
}

// The glide's time: a thousandth-stepped share of 94 % of a step.
float glideTime(const Raw& raw) {
    const float fraction = curve::glideFraction(raw(Tag::Glide));
    constexpr float kDivisors[3] = {1.0f, 2.0f, 4.0f};
    const float divisor = kDivisors[std::clamp(static_cast<int32_t>(2.0f * raw(Tag::ClockDivide)), 0, 2)];
    const double stepMs = 60000.0 / std::max(raw.tempo(), 1.0) / divisor;
    return fraction * 0.94f * static_cast<float>(stepMs);
}
float kickTone(const Raw& raw) { return curve::kickTone(raw(Tag::KickTone)); }
float masterTune(const Raw& raw) { return curve::masterTune(raw(Tag::Mastertune)); }
float masterAttack(const Raw& raw) { return curve::masterAttackMs(raw(Tag::MasterAttack)); }
float masterRelease(const Raw& raw) { return curve::masterReleaseMs(raw(Tag::MasterRelease)); }
float resonance(const Raw& raw) { return curve::resonance(raw(Tag::FilterReso)); }
float filterMix(const Raw& raw) { return curve::filterMix(raw(Tag::FilterMix)); }
float lane(const Raw& raw) { return truncated(std::min(5.0f * raw(Tag::ModulationTracks) + 0.001f, 4.0f)); }
float patternKey(const Raw& raw) { return curve::patternKey(raw(Tag::PatternKeys)); }
// The marker over the key strip: 195 pixels for 24 keys.
float keyMarker(const Raw& raw) { return patternKey(raw) * (195.0f / 24.0f); }

// The reverser's size picks its slice from the end of the note list.
float reverserSize(const Raw& raw) { return 1.0f - curve::reverserSize(raw(Tag::RvsSize)); }
// Its slices fade over 1.5 s times the decay setting.
float reverserDecay(const Raw& raw) { return 1500.0f * (curve::reverserDecay(raw(Tag::RvsDecay)) * 0.97f + 0.03f); }
// The double delay's time as the place of its note value in the list: its
// sixteen steps run from 3/128 of a beat, straight and dotted in turn (each
// pair doubling), up to four beats.
float delayTime(const Raw& raw) {
    const int32_t k = std::clamp(static_cast<int32_t>(raw(Tag::DlyTime) * 15.0f + 0.5f), 0, 15);
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
    {Display::GlideTime, glideTime},
    {Display::KickTone, kickTone},
    {Display::ModulationLane, lane},
    {Display::Swingfactor, amount<Tag::Swingfactor>},
    {Display::RandomMinimal, direct<Tag::RandomMinimal>},
    {Display::RandomMaximal, direct<Tag::RandomMaximal>},
    {Display::PatternKey, patternKey},
    {Display::MasterAttack, masterAttack},
    {Display::MasterLevel, doubledDecibels<Tag::MasterLevel>},
    {Display::KickLevel, doubledDecibels<Tag::KickLevel>},
    {Display::MasterRelease, masterRelease},
    {Display::KeyMarker, keyMarker},
    // sound page: the three layers
    {Display::Osc1Polycrush, direct<Tag::Osc1Polycrush>},
    {Display::Osc1Octave, octave<Tag::Osc1Octave>},
    {Display::Osc1Age, amount<Tag::Osc1Age>},
    {Display::Osc1Attack, layerEnvelopeTime<Tag::Osc1Attack>},
    {Display::Osc1Decay, layerEnvelopeTime<Tag::Osc1Decay>},
    {Display::Osc1Sustain, direct<Tag::Osc1Sustain>},
    {Display::Osc1Release, layerEnvelopeTime<Tag::Osc1Release>},
    {Display::Osc2Attack, layerEnvelopeTime<Tag::Osc2Attack>},
    {Display::Osc2Decay, layerEnvelopeTime<Tag::Osc2Decay>},
    {Display::Osc2Sustain, direct<Tag::Osc2Sustain>},
    {Display::Osc2Release, layerEnvelopeTime<Tag::Osc2Release>},
    {Display::Osc1KeysInverted, rangeInverted<Tag::Osc1KeyA>},
    {Display::Osc2KeysInverted, rangeInverted<Tag::Osc2KeyA>},
    {Display::Osc3KeysInverted, rangeInverted<Tag::Osc3KeyA>},
    {Display::Osc3Attack, layerEnvelopeTime<Tag::Osc3Attack>},
    {Display::Osc3Decay, layerEnvelopeTime<Tag::Osc3Decay>},
    {Display::Osc3Sustain, direct<Tag::Osc3Sustain>},
    {Display::Osc3Release, layerEnvelopeTime<Tag::Osc3Release>},
    {Display::Osc2Polycrush, direct<Tag::Osc2Polycrush>},
    {Display::Osc2Octave, octave<Tag::Osc2Octave>},
    {Display::Osc2Age, amount<Tag::Osc2Age>},
    {Display::Osc3Polycrush, direct<Tag::Osc3Polycrush>},
    {Display::Osc3Octave, octave<Tag::Osc3Octave>},
    {Display::Osc3Age, amount<Tag::Osc3Age>},
    {Display::Osc1Level, levelDecibels<Tag::Osc1Level>},
    {Display::Osc2Level, levelDecibels<Tag::Osc2Level>},
    {Display::Osc3Level, levelDecibels<Tag::Osc3Level>},
    {Display::Mastertune, masterTune},
    {Display::Osc1Pan, direct<Tag::Osc1Pan>},
    {Display::Osc2Pan, direct<Tag::Osc2Pan>},
    {Display::Osc3Pan, direct<Tag::Osc3Pan>},
    // sound page: the filter
    {Display::FilterAttack, filterEnvelopeTime<Tag::FilterAttack>},
    {Display::FilterDecay, filterEnvelopeTime<Tag::FilterDecay>},
    {Display::FilterSustain, direct<Tag::FilterSustain>},
    {Display::FilterRelease, filterEnvelopeTime<Tag::FilterRelease>},
    {Display::FilterTypeLight0, filterTypeLight<Tag::MasterLevel>},
    {Display::FilterTypeLight1, filterTypeLight<Tag::MasterAttack>},
    {Display::FilterTypeLight2, filterTypeLight<Tag::MasterRelease>},
    {Display::FilterTypeLight3, filterTypeLight<Tag::KickLevel>},
    {Display::FilterTypeLight4, filterTypeLight<Tag::KickTone>},
    {Display::FilterAge, amount<Tag::FilterAge>},
    {Display::FilterReso, resonance},
    {Display::FilterMix, filterMix},
    {Display::FilterCutoff, frequency<Tag::FilterCutoff>},
    {Display::FilterPeak, frequency<Tag::FilterPeak>},
    // effects pages
    {Display::RvsSize, reverserSize},
    {Display::RvsDecay, reverserDecay},
    {Display::RvsXfade, direct<Tag::RvsXfade>},
    {Display::RvsMix, direct<Tag::RvsMix>},
    {Display::ChsDepth, direct<Tag::ChsDepth>},
    {Display::ChsShape, direct<Tag::ChsShape>},
    {Display::ChsMix, direct<Tag::ChsMix>},
    {Display::PhsDepth, direct<Tag::PhsDepth>},
    {Display::PhsFeed, direct<Tag::PhsFeed>},
    {Display::PhsMix, direct<Tag::PhsMix>},
    {Display::DlyTime, delayTime},
    {Display::DlyFeed, direct<Tag::DlyFeed>},
    {Display::DlyWidth, direct<Tag::DlyWidth>},
    {Display::DlyMix, direct<Tag::DlyMix>},
    {Display::RvbSize, direct<Tag::RvbSize>},
    {Display::RvbDamp, direct<Tag::RvbDamp>},
    {Display::RvbWidth, direct<Tag::RvbWidth>},
    {Display::RvbMix, direct<Tag::RvbMix>},
    {Display::PhsRate, direct<Tag::PhsRate>},
    {Display::ChsRate, direct<Tag::ChsRate>},
    {Display::Dly16TimeR, sixteenths<Tag::Dly16TimeR>},
    {Display::Dly16TimeL, sixteenths<Tag::Dly16TimeL>},
    {Display::Dly16Feed, direct<Tag::Dly16Feed>},
};

}  // namespace

InterfaceValues::Rule displayRule(int32_t tag) {
    for (const DisplayRule& r : kRules)
        if (r.tag == tag) return r.rule;
    return nullptr;
}
