#include "plugin/StartupPaths.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "persistence/PathStrings.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "persistence/SettingsKey.h"
#include "plugin/BWPluginBase.h"
#include "plugin/ParamBinding.h"
#include "platform/SettingsWriteBatch.h"

namespace {

StartupOptions readOptions(const SettingsKey& key, std::span<ParamBinding* const> optionBindings) {
    StartupOptions options{};
    for (size_t index = 0; index < options.size(); ++index) {
        uint32_t stored = 0;
        key.readDword(kOptionSettingNames[index], &stored);
        options[index] = static_cast<float>(stored);
        for (ParamBinding* binding : optionBindings)
            if (binding && binding->value && binding->optionIndex == static_cast<int32_t>(index))
                binding->value->store(options[index], std::memory_order_relaxed);
    }
    return options;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::string subFolder(std::string folder, std::string_view name) {
    folder += name;
    appendBackslash(folder);
    return folder;
}

void writeCategoryFolders(SettingsKey& key, const std::string& contentPath,
                          const std::vector<PresetCategory>& categories) {
    for (const PresetCategory& category : categories) {
        const std::string folder = subFolder(contentPath, category.name);
        const std::string saveFolder = category.saveToUserFolder ? subFolder(folder, "User") : folder;
        if (!category.hasPathSetting) {
            key.setString(indexedSettingName(SettingNames::kPresetPathBase, category.kind), folder);
            key.setString(indexedSettingName(SettingNames::kPresetSavePathBase, category.kind), saveFolder);
            continue;
        }
        std::string present;
        if (!category.writeDefaultPath || key.getString(category.pathSettingName, present)) continue;
        key.setString(category.pathSettingName, folder);
        key.setString(category.pathSettingName + SettingNames::kSaveFolderSuffix, saveFolder);
    }
}

}  // namespace

bool contentFoldersNeedSetup(std::string_view productName) {
    const SettingsKey key(productName);
    uint32_t update = 0;
    key.readDword(SettingNames::kUpdatePaths, &update);
    std::string contentPath;
    return update != 0 || !key.getString(SettingNames::kContentPath, contentPath) || !isFolder(contentPath);
}

StartupOptions setupStartupPaths(BWPluginBase& base, std::string_view productName, bool writeLibraryPaths,
                                 bool flag, const std::vector<PresetCategory>& categories,
                                 std::span<ParamBinding* const> optionBindings) {
    SettingsKey key(productName);
    const StartupOptions options = readOptions(key, optionBindings);
    if (!contentFoldersNeedSetup(productName)) return options;

    // A dozen values, one rewrite of the key file: every instance made while
    // the content folder does not exist yet comes through here.
    const platform::SettingsWriteBatch batch;

    base.BWPluginBase::setupPaths(productName, writeLibraryPaths, flag);
    std::string contentPath;
    key.getString(SettingNames::kContentPath, contentPath);
    appendBackslash(contentPath);
    writeCategoryFolders(key, contentPath, categories);
    key.setString(SettingNames::kCcSavePath, subFolder(contentPath, "CC Maps"));
    key.setString(SettingNames::kAudioFilePath, subFolder(subFolder(contentPath, "Samples"), "Factory"));
    return options;
}
