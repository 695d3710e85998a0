#pragma once
// The content folder the plug-in plays from: the settings values that name
// its folders (instruments, samples, the preset kinds, chord banks), all
// under one folder as zorvane-factory writes it.

#include <string>

// Points the settings (those of platform::settingsRoot()) at the folder, as
// an installer does: for good in the user's settings, for one run in the
// run's own (RunSettings).  False, with a reason, when the folder has no
// Instruments or the settings cannot be written.
bool pointSettingsAt(const std::string& folder, std::string& error);
