#pragma once
// The factory presets and chord banks, written through the plug-in object's
// own preset writer into the category folders of a content folder:
//   <folder>/Global Presets/Factory/*.zvp         whole set-ups
//   <folder>/Global Presets/MIDI PROGRAMS/*.zvp   the bank program changes load
//   <folder>/Sounds/Factory/*.zvq                 the three layers' sounds
//   <folder>/Sequences/Factory/*.zvk              phrases
//   <folder>/Chord Banks/Factory/*.bwh            chord lists
// Each bank is a sub-folder because the preset library makes a bank of each
// sub-folder of the global preset folder, and the preset menus list
// sub-folders as sub-menus.  They play the factory instruments by name.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class BWUniClient;

inline constexpr char kMidiProgramsBank[] = "MIDI PROGRAMS";
inline constexpr char kFactoryBank[] = "Factory";

struct FactoryPreset {
    std::string name;  // also the file's base name
    int32_t kind = 0;  // 0 global, 1 sound, 2 sequence
    std::string bank;
    void (*setUp)(BWUniClient&) = nullptr;  // on a fresh instance
};

// Every factory preset; the MIDI programs in program order.
const std::vector<FactoryPreset>& factoryPresets();

// Where the preset lies under a content folder.
std::filesystem::path factoryPresetPath(const std::filesystem::path& folder, const FactoryPreset& preset);

struct FactoryChordBank {
    std::string name;
    // Eight chords in the order of the chord-list pages ("major", "maj 6",
    // "maj 7", "maj 9", "minor", "min 6", "min 7", "min 9"): the cells (notes
    // from the bottom of the list) that sound.
    std::vector<std::vector<int32_t>> chords;
};

const std::vector<FactoryChordBank>& factoryChordBanks();
std::filesystem::path factoryChordBankPath(const std::filesystem::path& folder, const FactoryChordBank& bank);

// Writes every preset and chord bank through a fresh instance of the plug-in
// object (the framework must be set up).  False, with what failed in
// `error`, when a file could not be written.
bool writeFactoryPresets(const std::filesystem::path& folder, std::string& error);
