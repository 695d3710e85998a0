#pragma once
// The factory instrument set: what each instrument is called, which sound
// it plays and where its zones sit on the keyboard.

#include <cstdint>
#include <string>
#include <vector>

#include "factory/FactorySynth.h"

struct FactoryZone {
    int32_t rootKey = 60;
    int32_t keyLow = 0;
    int32_t keyHigh = 127;
};

struct FactoryInstrument {
    std::string name;  // also the instrument file's name
    FactoryVoice voice = FactoryVoice::Keys;
    std::vector<FactoryZone> zones;  // from the lowest key up, covering 0..127
};

// Keys, pad, pluck and bass, in that order.
const std::vector<FactoryInstrument>& factoryInstruments();

// The name of a zone's sample: the instrument's name and the root key's note
// name, such as "Soft Keys C4" (60 is C4).
std::string factorySampleName(const FactoryInstrument& instrument, const FactoryZone& zone);
