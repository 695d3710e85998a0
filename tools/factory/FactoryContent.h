#pragma once
// Writes the factory content through the product's own writers:
//   <folder>/Instruments/Factory/<name>.bwr  the instruments, samples embedded
//   <folder>/Samples/Factory/<sample>.wav     every zone's sample
// under the folders that "InstrumentsPath" and "audiofilepath" point to once
// the content is installed.  The instruments sit in a sub-folder because the
// instrument menus list sub-folders as sub-menus and nothing else; the
// library still finds them by name for states and presets.  The same bytes
// on every run.

#include <filesystem>
#include <memory>
#include <string>

class BWRompler;
struct FactoryInstrument;

inline constexpr char kInstrumentsFolder[] = "Instruments";
inline constexpr char kFactoryInstrumentsFolder[] = "Instruments/Factory";
inline constexpr char kFactorySamplesFolder[] = "Samples/Factory";

// The instrument with its zones and synthesised samples, named after it;
// null when a sample could not be set.
std::unique_ptr<BWRompler> buildFactoryInstrument(const FactoryInstrument& instrument);

// Creates the folder and those above it; false, with why in `error`, when
// it cannot.
bool makeFolder(const std::filesystem::path& folder, std::string& error);

// Creates the folders and writes every instrument and sample.  False, with
// what failed in `error`, when any file could not be written.
bool writeFactoryContent(const std::filesystem::path& folder, std::string& error);
