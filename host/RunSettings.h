#pragma once
// Settings of a run's own, for the options that set the plug-in up for one
// run only (--content, --zoom, and the snapshot's zooms): a copy of the
// user's settings store in a private temporary folder, which the module
// reads and writes instead of the user's.
//
// The user's settings are only read, to seed the copy, and never written, so
// however the run ends (SIGPIPE from a closed standard output, SIGTERM,
// SIGKILL, a crash) and whatever runs beside it, they stay byte for byte as
// they were.  What the plug-in stored during the run (an editor's choice, a
// zoom) goes with the copy.
//
// No copy outlives its run where the run can see to it.  The copy goes when
// the run ends, and also when a signal ends it (CleanupOnEndingSignals),
// from before the copy exists.  Beside the copy's folder
// ("zorvane-host-settings-XXXXXX" in $TMPDIR) lies its lock file (the same
// name and ".lock"), locked (flock) for the run's life; the folder is made
// after the lock and removed before it.  A run that could not remove its
// copy (SIGKILL, a power cut) leaves the lock free: removeStaleCopies, at
// the start of every run, removes each copy whose lock is free and leaves
// the others, which are runs under way.

#include <filesystem>
#include <memory>
#include <string>

#include "host/EndingSignals.h"

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
    // any thread starts, as it changes the environment and the signals'
    // handling.  One at a time in a process.  False with a reason.
    bool make(std::string& error);
    const std::filesystem::path& folder() const { return own; }

    // Removes the copies in the temporary folder whose runs have ended
    // without removing them.  Any time.
    static void removeStaleCopies();

private:
    std::filesystem::path own;
    int lockDescriptor = -1;
    std::unique_ptr<CleanupOnEndingSignals> cleanup;
};
