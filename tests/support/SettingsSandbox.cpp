#include "support/SettingsSandbox.h"

#include <cstdlib>

namespace {
constexpr char kVariable[] = "ZORVANE_SETTINGS_DIR";
}

SettingsSandbox::SettingsSandbox() {
    if (const char* value = std::getenv(kVariable)) previous = value;
    setenv(kVariable, folder.str().c_str(), 1);
}

SettingsSandbox::~SettingsSandbox() {
    if (previous)
        setenv(kVariable, previous->c_str(), 1);
    else
        unsetenv(kVariable);
}

std::filesystem::path SettingsSandbox::productKeyFile() const {
    return root() / "software" / "brindlewick" / "zorvane.key";
}
