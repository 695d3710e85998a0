#include "host/ContentFolder.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "persistence/SettingNames.h"
#include "platform/SettingsStoreKey.h"

namespace {

constexpr char kProductKey[] = "Software\\Brindlewick\\Zorvane";

// The settings values of a content folder, as the plug-in's own start-up
// would write them for that folder.  Folders end in "/", as the plug-in
// writes them.
std::vector<platform::SettingsValue> contentValues(const std::filesystem::path& root) {
    auto folder = [&](const std::filesystem::path& path) { return path.string() + "/"; };
    std::vector<platform::SettingsValue> values = {
        platform::SettingsValue::string(SettingNames::kContentPath, folder(root)),
        platform::SettingsValue::string(SettingNames::kInstallPath, folder(root)),
        platform::SettingsValue::string(SettingNames::kInstrumentsPath, folder(root / "Instruments")),
        platform::SettingsValue::string(SettingNames::kSamplesPath, folder(root / "Samples")),
        platform::SettingsValue::string(SettingNames::kAudioFilePath, folder(root / "Samples" / "Factory")),
        platform::SettingsValue::string(SettingNames::kChordBanksPath, folder(root / "Chord Banks")),
        platform::SettingsValue::string(std::string(SettingNames::kChordBanksPath) + SettingNames::kSaveFolderSuffix,
                                        folder(root / "Chord Banks" / "User")),
    };
    const char* const kindFolders[] = {"Global Presets", "Sounds", "Sequences"};
    for (int kind = 0; kind < 3; ++kind) {
        const std::filesystem::path presets = root / kindFolders[kind];
        values.push_back(platform::SettingsValue::string(SettingNames::kPresetPathBase + std::to_string(kind), folder(presets)));
        values.push_back(platform::SettingsValue::string(SettingNames::kPresetSavePathBase + std::to_string(kind),
                                                         folder(presets / "User")));
    }
    return values;
}

bool contentRoot(const std::string& folder, std::filesystem::path& root, std::string& error) {
    std::error_code failed;
    // "DIR/" and "./DIR" name the same folder as DIR, and are stored as it.
    root = std::filesystem::absolute(folder, failed).lexically_normal();
    if (!root.has_filename()) root = root.parent_path();
    if (!failed && std::filesystem::is_directory(root / "Instruments", failed)) return true;
    error = "no content folder with Instruments at " + folder;
    return false;
}

// An existing content folder also keeps the plug-in's start-up from
// writing its default folders over these.
bool writeValues(const std::vector<platform::SettingsValue>& values, std::string& error) {
    std::optional<platform::SettingsStoreKey> key = platform::SettingsStoreKey::open(kProductKey);
    std::string problem;
    if (key && key->write(values, &problem)) return true;
    error = key ? "cannot write the settings: " + problem : std::string("cannot write the settings: no settings folder");
    return false;
}

}  // namespace

bool pointSettingsAt(const std::string& folder, std::string& error) {
    std::filesystem::path root;
    return contentRoot(folder, root, error) && writeValues(contentValues(root), error);
}
