#pragma once
// A file dialog handler for people at a desktop: runs "zenity" or, without
// it, "kdialog" from the PATH, and answers "cancelled" when neither is there
// or the person cancels.  The program runs with its arguments as given (no
// shell), and its standard output is the chosen path or paths, one a line.
// Host/GUI thread only; the call waits for the dialog.

#include <string>
#include <vector>

#include "platform/FileDialogs.h"

namespace platform {

FileDialogResult runInteractiveFileDialog(const FileDialogRequest& request);

// The command line for the dialog program ("zenity" or "kdialog").
std::vector<std::string> dialogCommand(const std::string& program, const FileDialogRequest& request);

// Installs runInteractiveFileDialog as the file dialog handler.
void useInteractiveFileDialogs();

}  // namespace platform
