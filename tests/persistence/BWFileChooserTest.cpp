#include "persistence/BWFileChooser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/TempDir.h"

namespace {

void makeContent(const TempDir& folder) {
    std::filesystem::create_directories(folder / "Brindlewick Basics" / "Deep");
    std::filesystem::create_directory(folder / "alpha");
    std::ofstream(folder / "loose.zvp") << "x";
    std::ofstream(folder / "Brindlewick Basics" / "Pad.zvp") << "x";
    std::ofstream(folder / "Brindlewick Basics" / "Deep" / "Bass.zvp") << "x";
}

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(BWFileChooser, ListFolderKeepsWhatTheModeAsksFor) {
    TempDir folder;
    makeContent(folder);
    std::vector<std::string> files{"kept"};
    BWFileChooser::listFolder(folder.str(), files, BWFileChooser::kFilesOnly);
    EXPECT_EQ(files, (std::vector<std::string>{"kept", "loose.zvp"}));

    std::vector<std::string> folders;
    BWFileChooser::listFolder(folder.str() + "/", folders, BWFileChooser::kFoldersOnly);
    EXPECT_EQ(sorted(folders), (std::vector<std::string>{"Brindlewick Basics", "alpha"}));

    std::vector<std::string> both;
    BWFileChooser::listFolder(folder.str(), both, 0);
    EXPECT_EQ(sorted(both), (std::vector<std::string>{"Brindlewick Basics", "alpha", "loose.zvp"}));

    std::vector<std::string> none;
    BWFileChooser::listFolder((folder / "missing").string(), none, 0);
    BWFileChooser::listFolder("", none, 0);
    EXPECT_TRUE(none.empty());
}

TEST(BWFileChooser, ListFolderRecursiveRecordsEveryLevelOnce) {
    TempDir folder;
    makeContent(folder);
    std::filesystem::create_directory_symlink(folder.path(), folder / "alpha" / "back to the root");
    const std::string root = folder.str() + "/";

    std::vector<BWDirHelper> entries;
    BWFileChooser::listFolderRecursive(folder.str(), entries, 0);
    std::vector<std::string> paths;
    for (const BWDirHelper& entry : entries) {
        EXPECT_EQ(entry.flag, 0);
        EXPECT_EQ(entry.folder.back(), '/');
        EXPECT_EQ(entry.isFolder, std::filesystem::is_directory(entry.folder + entry.name)) << entry.name;
        paths.push_back(entry.folder + entry.name);
    }
    const std::string basics = root + "Brindlewick Basics";
    EXPECT_EQ(sorted(paths),
              (std::vector<std::string>{basics, basics + "/Deep", basics + "/Deep/Bass.zvp", basics + "/Pad.zvp",
                                        root + "alpha", root + "alpha/back to the root", root + "loose.zvp"}));
    // Each folder's record comes directly before the records of its contents.
    const auto deep = std::find(paths.begin(), paths.end(), root + "Brindlewick Basics/Deep");
    ASSERT_NE(deep, paths.end());
    EXPECT_EQ(*(deep + 1), root + "Brindlewick Basics/Deep/Bass.zvp");

    std::vector<BWDirHelper> folders;
    BWFileChooser::listFolderRecursive(folder.str(), folders, BWFileChooser::kFoldersOnly);
    EXPECT_EQ(folders.size(), 4u);  // folders below folders are found too
    for (const BWDirHelper& entry : folders) EXPECT_TRUE(entry.isFolder) << entry.name;
}
