#pragma once
// What the instance does with its settings when it starts: read the two
// stored options into their bindings, and when the content folder is new or
// gone (or "updatePathes" asks for it) have the base set the folders up and
// write each preset category's folders, the controller-map folder and the
// audio-file folder.  The instance's setupPaths override runs it.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "plugin/PresetCategory.h"

class BWPluginBase;
struct ParamBinding;

// The stored options, by option index (ParamBinding::optionIndex).
inline constexpr std::array<const char*, 2> kOptionSettingNames = {"ignorePrgChange", "CC Map Recall isolate"};
using StartupOptions = std::array<float, kOptionSettingNames.size()>;

// Whether the folders must be written again: "updatePathes" is non-zero, or
// "contentpath" is missing or names no folder.
bool contentFoldersNeedSetup(std::string_view productName);

// Reads the options (0 when missing), gives each to the bindings whose
// optionIndex names it and answers them.  When the folders need it, runs
// base.BWPluginBase::setupPaths(productName, writeLibraryPaths, flag) and
// writes the folder values from the new "contentpath".  Host/GUI thread.
StartupOptions setupStartupPaths(BWPluginBase& base, std::string_view productName, bool writeLibraryPaths,
                                 bool flag, const std::vector<PresetCategory>& categories,
                                 std::span<ParamBinding* const> optionBindings);
