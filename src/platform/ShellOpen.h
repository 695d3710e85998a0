#pragma once
// Opening a document or folder with the program the desktop associates with
// it (the manual, from the manual link and the editor's manual hook).  Where
// a desktop session runs and `xdg-open` is on the PATH, that program is
// started directly, without a shell, so no character of the path is ever
// interpreted; headless, the request is written to standard error, saying
// where the document is.  Tests install a handler that records the paths.
// Host/GUI thread.

#include <functional>
#include <string>

namespace platform {

// Answers whether the document was handed to a program (the headless
// answer is false); callers ignore it, as the shell's answer was ignored.
using ShellOpenHandler = std::function<bool(const std::string& path)>;

bool openDocument(const std::string& path);

// Opens the document when the path names something that is there;
// otherwise tells the user `missing` in a message box (over the editor on a
// display, on standard error without one) and answers false, rather than
// handing the desktop, or printing, a path to nothing.
bool openDocumentIfPresent(const std::string& path, const char* missing);

// Replaces the handler; an empty one restores the default.  Answers the one
// installed before.
ShellOpenHandler setShellOpenHandler(ShellOpenHandler handler);

}  // namespace platform
