#pragma once
// A sheet of the option menus for a person to look at: closed menus of the
// interface's kinds, an open list with a sub-menu beside it and a scrolled
// list, drawn through an editor's frame in an in-process window at the zooms
// 0.9, 1.0, 1.5 and 2.0.

#include <string>

namespace sheet {

// Writes the sheet as a PNG; false when the file cannot be written.
bool writeMenuSheet(const std::string& path);

}  // namespace sheet
