#include "platform/FolderListing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/TempDir.h"

TEST(FolderListing, ListsNamesWithTheirKindAndNothingForAMissingFolder) {
    TempDir folder;
    std::filesystem::create_directory(folder / "Sounds");
    std::ofstream(folder / "a b.zvp") << "x";
    std::filesystem::create_directory_symlink(folder / "Sounds", folder / "linked");
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling");

    auto entries = platform::listFolderEntries(folder.path());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "Sounds");
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "a b.zvp");
    EXPECT_FALSE(entries[1].isFolder);
    EXPECT_FALSE(entries[2].isFolder);  // dangling
    EXPECT_TRUE(entries[3].isFolder);   // linked

    EXPECT_TRUE(platform::listFolderEntries(folder / "missing").empty());
    EXPECT_TRUE(platform::listFolderEntries(folder / "a b.zvp").empty());
    EXPECT_TRUE(platform::listFolderEntries("").empty());
}

TEST(FolderListing, VisitedFoldersKnowsAFolderByItsIdentity) {
    TempDir folder;
    std::filesystem::create_directory(folder / "a");
    std::filesystem::create_directory_symlink(folder / "a", folder / "link");
    platform::VisitedFolders visited;
    EXPECT_TRUE(visited.firstVisit(folder / "a"));
    EXPECT_FALSE(visited.firstVisit(folder / "link"));
    EXPECT_FALSE(visited.firstVisit(folder / "a" / ".." / "a"));
    EXPECT_TRUE(visited.firstVisit(folder.path()));
    EXPECT_FALSE(visited.firstVisit(folder / "missing"));
}
