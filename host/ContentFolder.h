#pragma once
// The content folder the plug-in plays from: the settings values that name
// its folders (instruments, samples, the preset kinds, chord banks), all
// under one folder as zorvane-factory writes it.

#include <optional>
#include <string>
#include <vector>

#include "platform/SettingsKeyFile.h"

// Points the settings at the folder for good, as an installer does.  False,
// with a reason, when the folder has no Instruments or the settings cannot
// be written.
bool pointSettingsAt(const std::string& folder, std::string& error);

// Points the settings at the folder for one run: afterwards they hold what
// they held before, values that were missing missing again, so that later
// runs and the person's own plug-in use their own content.
class ScopedContentFolder {
public:
    ScopedContentFolder() = default;
    ~ScopedContentFolder();
    ScopedContentFolder(const ScopedContentFolder&) = delete;
    ScopedContentFolder& operator=(const ScopedContentFolder&) = delete;

    bool pointAt(const std::string& folder, std::string& error);

private:
    struct Kept {
        std::string name;
        std::optional<platform::SettingsValue> value;
    };
    std::vector<Kept> kept;
};
