#pragma once
// What the plug-in layer's tests share: a plug-in base that can be built, and
// a sandbox that points both the settings store and the documents folder at
// fresh folders.

#include <cstdlib>
#include <optional>
#include <string>

#include "persistence/SettingsKey.h"
#include "plugin/BWPluginBase.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"

class TestPluginBase : public BWPluginBase {
public:
    explicit TestPluginBase(audioMasterCallback host = nullptr, bool hostPrivate = false)
        : BWPluginBase(host, 128, 87, hostPrivate) {}
    void processReplacing(float**, float**, int32_t) override {}
};

class UserFoldersSandbox {
public:
    UserFoldersSandbox() {
        if (const char* value = std::getenv(kVariable)) previous = value;
        setenv(kVariable, documentsFolder.str().c_str(), 1);
    }
    ~UserFoldersSandbox() {
        if (previous)
            setenv(kVariable, previous->c_str(), 1);
        else
            unsetenv(kVariable);
    }
    UserFoldersSandbox(const UserFoldersSandbox&) = delete;
    UserFoldersSandbox& operator=(const UserFoldersSandbox&) = delete;

    std::string documents() const { return documentsFolder.str(); }

    // A string value of the product's key; "<missing>" when there is none.
    static std::string value(const char* name, const char* product = "Zorvane") {
        std::string text = "<missing>";
        SettingsKey(product).getString(name, text);
        return text;
    }

private:
    static constexpr char kVariable[] = "ZORVANE_DOCUMENTS_DIR";
    SettingsSandbox settings;
    TempDir documentsFolder;
    std::optional<std::string> previous;
};
