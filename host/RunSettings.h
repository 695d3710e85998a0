#pragma once
// Settings of a run's own, for the options that set the plug-in up for one
// run only (--content, --zoom, and the snapshot's zooms): a copy of the
// user's settings store in a private temporary folder, which the module
// reads and writes instead of the user's.
//
// The user's settings are only read, to seed the copy, and never written, so
// however the run ends (SIGPIPE from a closed standard output, SIGTERM,
// SIGKILL, a crash) and whatever runs beside it, they stay byte for byte as
// they were.  The folder goes when the run ends; one left by a killed run is
// never read again, as nothing points at it.  What the plug-in stored during
// the run (an editor's choice, a zoom) goes with it.

#include <filesystem>
#include <string>

class RunSettings {
public:
    RunSettings() = default;
    // Removes the folder.
    ~RunSettings();
    RunSettings(const RunSettings&) = delete;
    RunSettings& operator=(const RunSettings&) = delete;

    // Makes the folder, copies into it every key file of the settings store
    // the environment names (platform::settingsRoot()), and points
    // $ZORVANE_SETTINGS_DIR at it.  Before the module is loaded and before
    // any thread starts, as it changes the environment.  False with a reason.
    bool make(std::string& error);
    const std::filesystem::path& folder() const { return own; }

private:
    std::filesystem::path own;
};
