#include "platform/UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets (or, with null, removes) an environment variable for one test.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) previous = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable() {
        if (previous)
            setenv(name, previous->c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

}  // namespace

TEST(UserFolders, SettingsRootFollowsItsOverrideThenXdgThenHome) {
    ScopedVariable home("HOME", "/home/ann");
    {
        ScopedVariable root("ZORVANE_SETTINGS_DIR", "/tmp/store");
        ScopedVariable xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(platform::settingsRoot(), "/tmp/store");
    }
    ScopedVariable root("ZORVANE_SETTINGS_DIR", "");  // empty counts as unset
    {
        ScopedVariable xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(platform::settingsRoot(), "/cfg/brindlewick-registry");
    }
    {
        ScopedVariable xdg("XDG_CONFIG_HOME", "relative/cfg");  // ignored, as XDG says
        EXPECT_EQ(platform::settingsRoot(), "/home/ann/.config/brindlewick-registry");
    }
    ScopedVariable xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(platform::settingsRoot(), "/home/ann/.config/brindlewick-registry");
}

TEST(UserFolders, DocumentsFolderHasAnOverrideAndFallsBackToTheUserDatabase) {
    ScopedVariable home("HOME", "/home/ann");
    {
        ScopedVariable documents("ZORVANE_DOCUMENTS_DIR", "/tmp/docs");
        EXPECT_EQ(platform::documentsFolder(), "/tmp/docs");
    }
    ScopedVariable documents("ZORVANE_DOCUMENTS_DIR", nullptr);
    EXPECT_EQ(platform::documentsFolder(), "/home/ann/Documents");
    ScopedVariable noHome("HOME", nullptr);
    EXPECT_FALSE(platform::homeFolder().empty());  // from the user database
    EXPECT_EQ(platform::documentsFolder(), platform::homeFolder() / "Documents");
}
