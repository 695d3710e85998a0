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
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { previous ? setenv(name, previous->c_str(), 1) : unsetenv(name); }

private:
    const char* name;
    std::optional<std::string> previous;
};

}  // namespace

TEST(UserFolders, OverridesThenXdgThenHomeThenTheUserDatabase) {
    ScopedVariable home("HOME", "/home/ann");
    ScopedVariable root("ZORVANE_SETTINGS_DIR", "/tmp/store");
    ScopedVariable documents("ZORVANE_DOCUMENTS_DIR", "/tmp/docs");
    ScopedVariable xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(platform::settingsRoot(), "/tmp/store");
    EXPECT_EQ(platform::documentsFolder(), "/tmp/docs");

    ScopedVariable noRoot("ZORVANE_SETTINGS_DIR", "");  // empty counts as unset
    ScopedVariable noDocuments("ZORVANE_DOCUMENTS_DIR", nullptr);
    EXPECT_EQ(platform::settingsRoot(), "/cfg/brindlewick-registry");
    EXPECT_EQ(platform::documentsFolder(), "/home/ann/Documents");
    {
        ScopedVariable relative("XDG_CONFIG_HOME", "relative/cfg");  // ignored, as XDG says
        EXPECT_EQ(platform::settingsRoot(), "/home/ann/.config/brindlewick-registry");
    }
    ScopedVariable noHome("HOME", nullptr);
    ASSERT_FALSE(platform::homeFolder().empty());
    EXPECT_EQ(platform::documentsFolder(), platform::homeFolder() / "Documents");
}
