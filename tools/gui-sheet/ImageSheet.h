#pragma once
// A contact sheet of the interface images for a person to look at: every
// image loaded through CBitmap from the module's resources, strips at a few
// frames, glyph strips as a grid of their glyphs.

#include <string>

namespace sheet {

// Writes the sheet as a PNG; false when an image is missing or the file
// cannot be written.
bool writeImageSheet(const std::string& path);

}  // namespace sheet
