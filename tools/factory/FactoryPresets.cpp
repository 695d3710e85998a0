#include "factory/FactoryPresets.h"

#include <array>
#include <memory>
#include <system_error>

#include "factory/FactoryContent.h"
#include "factory/FactorySetUps.h"
#include "persistence/ObjectFiles.h"
#include "plugin/BWUniClient.h"

namespace {

// The category folders under the content folder and the files' extensions,
// by preset kind.
constexpr std::array<const char*, 3> kKindFolders = {"Global Presets", "Sounds", "Sequences"};
constexpr std::array<const char*, 3> kKindExtensions = {"zvp", "zvq", "zvk"};
constexpr char kChordBanksFolder[] = "Chord Banks";
constexpr char kChordBankExtension[] = ".bwh";
constexpr float kChordNote = 1.0f;
constexpr int32_t kChordListCells = 48;

bool writePreset(const std::filesystem::path& folder, const FactoryPreset& preset, std::string& error) {
    const std::filesystem::path file = factoryPresetPath(folder, preset);
    if (!makeFolder(file.parent_path(), error)) return false;
    // A fresh instance for each, so that nothing of one set-up leaks into
    // the next.
    const auto client = std::make_unique<BWUniClient>(nullptr, 1, false);
    preset.setUp(*client);
    if (client->savePreset(file.c_str(), preset.kind, kKindExtensions[size_t(preset.kind)], nullptr, nullptr)) return true;
    error = "cannot write " + file.string();
    return false;
}

bool writeChordBank(const std::filesystem::path& folder, const FactoryChordBank& bank, std::string& error) {
    const std::filesystem::path file = factoryChordBankPath(folder, bank);
    if (!makeFolder(file.parent_path(), error)) return false;
    const auto client = std::make_unique<BWUniClient>(nullptr, 1, false);
    BWTableXY& list = client->patterns().chordList;
    for (size_t page = 0; page < bank.chords.size(); ++page) {
        for (int32_t cell = 0; cell < kChordListCells; ++cell) list.setValueOnPage(uint64_t(cell), page, 0.0f);
        for (int32_t cell : bank.chords[page]) list.setValueOnPage(uint64_t(cell), page, kChordNote);
    }
    if (saveObjectToFile(&list, file.string())) return true;
    error = "cannot write " + file.string();
    return false;
}

}  // namespace

const std::vector<FactoryPreset>& factoryPresets() {
    using namespace factory;
    static const std::vector<FactoryPreset> presets = {
        // Program changes 0 to 7, each another instrument, phrase or room.
        {"01 Piano Arpeggio", 0, kMidiProgramsBank, pianoArpeggio},
        {"02 Nylon Arpeggio", 0, kMidiProgramsBank, nylonArpeggio},
        {"03 Pad Chords", 0, kMidiProgramsBank, padChords},
        {"04 Bass Line", 0, kMidiProgramsBank, bassLine},
        {"05 Block Keys", 0, kMidiProgramsBank, blockKeys},
        {"06 Pluck Over Pad", 0, kMidiProgramsBank, pluckOverPad},
        {"07 Reversed Keys", 0, kMidiProgramsBank, reversedKeys},
        {"08 Pumping Pad", 0, kMidiProgramsBank, pumpingPad},
        {"Demo Phrase", 0, kFactoryBank, pianoArpeggio},
        {"Slow Swing", 0, kFactoryBank, slowSwing},
        {"Night Hall", 0, kFactoryBank, nightHall},
        {"Keys Pad Bass", 1, kFactoryBank, pianoArpeggio},
        {"Nylon Pad Bass", 1, kFactoryBank, nylonArpeggio},
        {"Shimmer Pluck", 1, kFactoryBank, pluckOverPad},
        {"Rising Sixteenths", 2, kFactoryBank, pianoArpeggio},
        {"Eighth Arpeggio", 2, kFactoryBank, nylonArpeggio},
        {"Block Pulse", 2, kFactoryBank, blockKeys},
    };
    return presets;
}

std::filesystem::path factoryPresetPath(const std::filesystem::path& folder, const FactoryPreset& preset) {
    const size_t kind = size_t(preset.kind);
    return folder / kKindFolders[kind] / preset.bank / (preset.name + "." + kKindExtensions[kind]);
}

const std::vector<FactoryChordBank>& factoryChordBanks() {
    // Cell 24 is the root.  Close: the chord within an octave and a half.
    // Open: the root low, the third and seventh spread above the fifth.
    static const std::vector<FactoryChordBank> banks = {
        {"Close Voicings",
         {{24, 28, 31},
          {24, 28, 31, 33},
          {24, 28, 31, 35},
          {24, 28, 31, 35, 38},
          {24, 27, 31},
          {24, 27, 31, 33},
          {24, 27, 31, 34},
          {24, 27, 31, 34, 38}}},
        {"Open Voicings",
         {{12, 19, 28, 36},
          {12, 19, 28, 33},
          {12, 19, 28, 35},
          {12, 19, 28, 35, 38},
          {12, 19, 27, 36},
          {12, 19, 27, 33},
          {12, 19, 27, 34},
          {12, 19, 27, 34, 38}}},
    };
    return banks;
}

std::filesystem::path factoryChordBankPath(const std::filesystem::path& folder, const FactoryChordBank& bank) {
    return folder / kChordBanksFolder / kFactoryBank / (bank.name + kChordBankExtension);
}

bool writeFactoryPresets(const std::filesystem::path& folder, std::string& error) {
    for (const FactoryPreset& preset : factoryPresets())
        if (!writePreset(folder, preset, error)) return false;
    for (const FactoryChordBank& bank : factoryChordBanks())
        if (!writeChordBank(folder, bank, error)) return false;
    return true;
}
