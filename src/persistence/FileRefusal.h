#pragma once
// The box that tells the user a file chosen to be loaded (a preset, a chord
// bank) was not: why, on the first line, and the file on the second.  Host/GUI
// thread, as the boxes are.

#include <string>

// Why a file that gave no chunk could not: not found, no regular file,
// empty, unreadable, or else not of this program's format (a foreign header,
// or a file cut short).  Looks at the file's status only, without opening
// it again.
std::string unreadableFileReason(const std::string& file);

// Shows the box: the reason, then the file.
void refuseFile(const std::string& reason, const std::string& file);
