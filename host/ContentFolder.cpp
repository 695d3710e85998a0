#include "host/ContentFolder.h"

#include <filesystem>
#include <system_error>

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
    root = std::filesystem::absolute(folder, failed);
    if (!failed && std::filesystem::is_directory(root / "Instruments", failed)) return true;
    error = "no content folder with Instruments at " + folder;
    return false;
}

// An existing content folder also keeps the plug-in's start-up from
// writing its default folders over these.
bool writeValues(const std::vector<platform::SettingsValue>& values, std::string& error) {
    std::optional<platform::SettingsStoreKey> key = platform::SettingsStoreKey::open(kProductKey);
    if (key && key->write(values)) return true;
    error = "cannot write the settings";
    return false;
}

}  // namespace

bool pointSettingsAt(const std::string& folder, std::string& error) {
    std::filesystem::path root;
    return contentRoot(folder, root, error) && writeValues(contentValues(root), error);
}

bool ScopedContentFolder::pointAt(const std::string& folder, std::string& error) {
    std::filesystem::path root;
    if (!contentRoot(folder, root, error)) return false;
    const std::vector<platform::SettingsValue> values = contentValues(root);
    std::optional<platform::SettingsStoreKey> key = platform::SettingsStoreKey::open(kProductKey);
    if (!key) return error = "cannot write the settings", false;
    for (const platform::SettingsValue& value : values) kept.push_back({value.name, key->read(value.name)});
    return writeValues(values, error);
}

ScopedContentFolder::~ScopedContentFolder() {
    if (kept.empty()) return;
    std::optional<platform::SettingsStoreKey> key = platform::SettingsStoreKey::open(kProductKey);
    if (!key) return;
    std::vector<platform::SettingsValue> present;
    std::vector<std::string> missing;
    for (Kept& entry : kept) {
        if (entry.value)
            present.push_back(std::move(*entry.value));
        else
            missing.push_back(entry.name);
    }
    key->write(present);
    key->remove(missing);
}
