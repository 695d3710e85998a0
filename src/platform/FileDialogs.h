#pragma once
// The system's open and save dialogs, routed through a replaceable handler
// like the message boxes.  Headless (the default) every dialog answers
// "cancelled"; tests script the answers and the window layer installs an
// interactive handler.  Host/GUI thread only; dialogs are modal, and run
// inside a ModalWait (ModalWait.h): where the thread must not wait, the
// answer is "cancelled".

#include <functional>
#include <string>
#include <vector>

namespace platform {

enum class FileDialogStyle { Load, Save, LoadMany, Folder };

// One entry of the dialog's type list: a description and the extension in
// the forms the dialogs know ("." + extension, and the bare extension twice).
struct FileDialogType {
    std::string name;
    std::string dotExtension;
    std::string macType;
    std::string unixType;
};

struct FileDialogRequest {
    FileDialogStyle style = FileDialogStyle::Load;
    std::string title;
    std::string initialFolder;
    std::string initialFile;
    std::vector<FileDialogType> types;
};

struct FileDialogResult {
    bool confirmed = false;
    std::vector<std::string> paths;  // one for Load, Save and Folder
};

// The window a dialog belongs to; marked busy while a dialog runs over it.
class DialogOwner {
public:
    virtual ~DialogOwner() = default;
    virtual void setDialogBusy(bool busy) = 0;
};

using FileDialogHandler = std::function<FileDialogResult(const FileDialogRequest&)>;

FileDialogResult runFileDialog(const FileDialogRequest& request);

// Replaces the handler; an empty handler restores the headless default.
// Answers the handler that was installed before.
FileDialogHandler setFileDialogHandler(FileDialogHandler handler);

}  // namespace platform
