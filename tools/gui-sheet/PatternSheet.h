#pragma once
// A sheet of the pattern editors for a person to look at: the step-table
// view in each of its displays, the button-line, zone and poly-object views
// in their modes and the widget container in its styles, each on models
// with sample patterns and the interface images, drawn at the editor's zoom
// factors 0.9, 1.0, 1.5 and 2.0 side by side.

#include <string>

namespace sheet {

// Writes the sheet as a PNG; false when it cannot be written.
bool writePatternSheet(const std::string& path);

}  // namespace sheet
