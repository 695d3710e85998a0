#include "factory/FactoryContent.h"

#include <system_error>

#include "engine/BWRompler.h"
#include "engine/BWSampleZone.h"
#include "factory/FactoryCatalog.h"

namespace {

bool fillZone(BWSampleZone& zone, const FactoryInstrument& instrument, const FactoryZone& place) {
    const SynthesizedSample sound = synthesize(instrument.voice, place.rootKey);
    zone.setKeyRange(place.keyLow, place.keyHigh);
    zone.setLayerRange(0, 127);
    zone.setRootKey(place.rootKey);
    zone.setTune(sound.tune);

    BWSampleData& sample = zone.getSample();
    const int16_t* right = sound.right.empty() ? nullptr : sound.right.data();
    sample.setSampleName(factorySampleName(instrument, place));
    sample.setEmbedData(true);  // an instrument file that stands on its own
    return sample.setData(sound.left.data(), right, int32_t(sound.left.size()), float(kFactoryRate)) &&
           sample.setLoop(sound.loopStart, sound.loopEnd, sound.loopOn);
}

bool writeInstrument(const FactoryInstrument& entry, const std::filesystem::path& instruments,
                     const std::filesystem::path& samples, std::string& error) {
    const std::unique_ptr<BWRompler> instrument = buildFactoryInstrument(entry);
    const std::filesystem::path file = instruments / (entry.name + ".bwr");
    if (!instrument || !instrument->saveFile(file.c_str())) {
        error = "cannot write " + file.string();
        return false;
    }
    for (const auto& zone : instrument->getZones()) {
        if (zone->getSample().exportWave(samples.c_str())) continue;
        error = "cannot write the sample " + zone->getSample().getSampleName() + " into " + samples.string();
        return false;
    }
    return true;
}

}  // namespace

bool makeFolder(const std::filesystem::path& folder, std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (!code) return true;
    error = "cannot create " + folder.string() + ": " + code.message();
    return false;
}

std::unique_ptr<BWRompler> buildFactoryInstrument(const FactoryInstrument& instrument) {
    auto rompler = std::make_unique<BWRompler>(instrument.name.c_str());
    for (const FactoryZone& place : instrument.zones)
        if (!fillZone(*rompler->addZone(), instrument, place)) return nullptr;
    return rompler;
}

bool writeFactoryContent(const std::filesystem::path& folder, std::string& error) {
    const std::filesystem::path instruments = folder / kFactoryInstrumentsFolder;
    const std::filesystem::path samples = folder / kFactorySamplesFolder;
    if (!makeFolder(instruments, error) || !makeFolder(samples, error)) return false;
    for (const FactoryInstrument& entry : factoryInstruments())
        if (!writeInstrument(entry, instruments, samples, error)) return false;
    return true;
}
