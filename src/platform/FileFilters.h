#pragma once
// The type filters of a file dialog, made from its type list: one entry per
// type ("Preset (*.bwp)" with the pattern "*.bwp", plus ";*." and the Unix
// extension when that differs), an "All Types: (...)" entry joining the
// patterns of the distinct extensions when there are two or more (up to 100),
// and always "Any Type (*.*)" last.  The dialog shows the labels; a pattern
// is ";"-separated.

#include <string>
#include <vector>

#include "platform/FileDialogs.h"

namespace platform {

struct FileFilter {
    std::string label;
    std::string pattern;
    bool operator==(const FileFilter&) const = default;
};

std::vector<FileFilter> buildFileFilters(const std::vector<FileDialogType>& types);

}  // namespace platform
