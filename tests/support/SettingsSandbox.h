#pragma once
// Points the settings store (ZORVANE_SETTINGS_DIR) at a fresh folder while
// it lives and restores the previous root afterwards, so that tests never
// share a store with each other or touch the user's.  Create it before any
// thread of the test starts: it changes the environment.

#include <filesystem>
#include <optional>
#include <string>

#include "support/TempDir.h"

class SettingsSandbox {
public:
    SettingsSandbox();
    ~SettingsSandbox();
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    const std::filesystem::path& root() const { return folder.path(); }
    // The file that holds the product's key, "Software\Brindlewick\Zorvane".
    std::filesystem::path productKeyFile() const;

private:
    TempDir folder;
    std::optional<std::string> previous;
};
