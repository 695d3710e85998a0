#pragma once
// Where the user's own folders are.  Each call reads the environment afresh,
// so that tests can point them elsewhere; any thread.

#include <filesystem>

namespace platform {

// $HOME, else the home folder of the user database; empty when neither is known.
std::filesystem::path homeFolder();

// The root of the settings store: $ZORVANE_SETTINGS_DIR, else
// $XDG_CONFIG_HOME/brindlewick-registry, else ~/.config/brindlewick-registry.
// Empty when no home folder is known.
std::filesystem::path settingsRoot();

// The user's documents folder: $ZORVANE_DOCUMENTS_DIR, else ~/Documents.
// Empty when no home folder is known.
std::filesystem::path documentsFolder();

// The user's desktop, where reports go: $ZORVANE_DESKTOP_DIR, else
// ~/Desktop.  Empty when no home folder is known.
std::filesystem::path desktopFolder();

}  // namespace platform
