#pragma once
// The file dialogs of the commands that load and save presets, chord banks,
// objects and samples, and the folder listings of the content menus.  A
// dialog starts in the folder that the last use of the same command left in
// the settings and stores the chosen folder back.  Host/GUI thread only.

#include <string>
#include <utility>
#include <vector>

#include "persistence/BWDirHelper.h"
#include "platform/FileDialogs.h"

class BWFileChooser {
public:
    // Listing modes; any other mode lists files and folders.
    static constexpr int kFilesOnly = 1;
    static constexpr int kFoldersOnly = 2;
    // The settings value name that remembers no folder.
    static constexpr const char* kNotSet = "notset";

    // With both a description and an extension they form the first filter.
    BWFileChooser(platform::DialogOwner* owner = nullptr, const char* description = nullptr,
                  const char* extension = nullptr);
    virtual ~BWFileChooser() = default;

    void addFilter(const std::string& description, const std::string& extension);
    void setDescription(const std::string& text) { description = text; }

    // The load dialog "Choose a file to load".  The path is replaced by what
    // the dialog returned in any case; the answer says whether it was chosen.
    bool runLoadDialog(std::string& path, const std::string& settingName);
    // A dialog with the caller's title and style; forces the first filter's
    // extension on the chosen path.
    bool chooseFile(std::string& path, const std::string& settingName, const std::string& title,
                    platform::FileDialogStyle style);
    // The sample (extension "wav") or preset load dialog with fixed types.
    static bool chooseAudioFile(std::string& path, const std::string& extension);

    // Appends the names of the folder's entries that the mode keeps, without
    // "." and "..", in the order the file system gives them.  A folder that
    // cannot be read adds nothing.
    static void listFolder(const std::string& folder, std::vector<std::string>& names, int mode);

    // Appends a record for every entry that the mode keeps, at every level
    // below the folder: each record directly followed by those of its
    // folder's contents.  Every sub-folder is entered whatever the mode,
    // each folder at most once even when links lead back to it.
    static void listFolderRecursive(const std::string& folder, std::vector<BWDirHelper>& entries, int mode);

    // The dialog's type record of a filter: texts cut to 127 and 7 bytes.
    static platform::FileDialogType makeType(const std::string& description, const std::string& extension);

private:
    std::vector<platform::FileDialogType> buildTypes() const;
    static std::string startingFolder(const std::string& path, const std::string& settingName);
    static void rememberFolder(const std::string& path, const std::string& settingName);

    platform::DialogOwner* owner;
    std::vector<std::pair<std::string, std::string>> filters;  // description, extension
    std::string description = "Preset file";
};
