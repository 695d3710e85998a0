#pragma once
// A file dialog handler for people at a desktop: runs "zenity" or, without
// it, "kdialog" from the PATH, and answers "cancelled" when neither is there
// or the person cancels.  The program runs with its arguments as given (no
// shell), and its standard output is the chosen path or paths, one a line.
// Host/GUI thread only; the call waits for the dialog.
//
// A program asked to stop while the dialog is up (Ctrl-C, a kill) must not
// wait for the person: given a descriptor that becomes readable once a stop
// is asked (platform/HostWindow.h), the wait watches it beside the dialog's
// output, and a stop ends the dialog program, with whatever it started (it
// runs in a process group of its own), and answers "cancelled".

#include <string>
#include <vector>

#include "platform/FileDialogs.h"

namespace platform {

// stopDescriptor: -1 for none; it is only polled, never read or closed.
FileDialogResult runInteractiveFileDialog(const FileDialogRequest& request, int stopDescriptor = -1);

// The command line for the dialog program ("zenity" or "kdialog").
std::vector<std::string> dialogCommand(const std::string& program, const FileDialogRequest& request);

// Installs runInteractiveFileDialog, with no stop descriptor, as the file
// dialog handler.
void useInteractiveFileDialogs();

}  // namespace platform
