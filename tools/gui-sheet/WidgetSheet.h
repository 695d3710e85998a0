#pragma once
// A sheet of the value widgets for a person to look at: knobs, buttons in
// every state, displays, meters, labels and a drop shadow on one panel,
// shown as the editor's window shows it at zoom 0.9, 1.0, 1.5 and 2.0.

#include <string>

namespace sheet {

// Writes the sheet as a PNG; false when the file cannot be written.
bool writeWidgetSheet(const std::string& path);

}  // namespace sheet
