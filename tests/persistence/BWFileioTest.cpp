#include "persistence/BWFileio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace {

void makeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> listed(const std::string& folder, int depth) {
    std::vector<std::string> paths;
    const auto collect = [](const char* path, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(path);
    };
    BWFileio::listFiles(folder, collect, &paths, depth);
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace

TEST(BWFileio, ReadWholeReportsShortReads) {
    TempDir folder;
    const std::string path = (folder / "data.bin").string();
    makeFile(path, "abcd");
    char buffer[8] = "-------";
    EXPECT_TRUE(BWFileio::readWhole(path.c_str(), buffer, 4));
    EXPECT_STREQ(buffer, "abcd---");
    std::copy_n("-------", 8, buffer);
    EXPECT_FALSE(BWFileio::readWhole(path.c_str(), buffer, 7));  // the file holds only 4
    EXPECT_STREQ(buffer, "abcd---");                             // the rest is as it was
    EXPECT_TRUE(BWFileio::readWhole(path.c_str(), buffer, 0));

    EXPECT_FALSE(BWFileio::readWhole((folder / "missing").c_str(), buffer, 1));
    EXPECT_FALSE(BWFileio::readWhole(folder.str().c_str(), buffer, 1));  // a folder
    EXPECT_FALSE(BWFileio::readWhole("x", buffer, 1));
    EXPECT_FALSE(BWFileio::readWhole(nullptr, buffer, 1));
    EXPECT_FALSE(BWFileio::readWhole(path.c_str(), nullptr, 1));
}

TEST(BWFileio, WriteWholeReplacesTheFileOrReportsFailure) {
    TempDir folder;
    const std::string path = (folder / "preset.zvp").string();
    makeFile(path, std::string(5000, 'o'));
    ASSERT_TRUE(BWFileio::writeWhole(path.c_str(), "new\0bytes", 9));
    EXPECT_EQ(readFile(path), std::string("new\0bytes", 9));
    EXPECT_EQ(BWFileio::fileSize(path.c_str()), 9u);
    ASSERT_TRUE(BWFileio::writeWhole(path.c_str(), nullptr, 0));
    EXPECT_EQ(BWFileio::fileSize(path.c_str()), 0u);

    const std::string longestName = (folder / std::string(255, 'n')).string();  // no room for a suffix
    EXPECT_TRUE(BWFileio::writeWhole(longestName.c_str(), "x", 1));
    std::filesystem::remove(longestName);

    EXPECT_FALSE(BWFileio::writeWhole((folder / "no" / "x.zvp").c_str(), "x", 1));
    EXPECT_FALSE(BWFileio::writeWhole(path.c_str(), nullptr, 1));
    EXPECT_FALSE(BWFileio::writeWhole(folder.str().c_str(), "x", 1));  // a folder is in the way
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    EXPECT_EQ(BWFileio::fileSize((folder / "missing").c_str()), 0u);
    EXPECT_EQ(BWFileio::fileSize(folder.str().c_str()), 0u);  // a folder has no file size
}

TEST(BWFileio, ListFilesGoesAsDeepAsAsked) {
    TempDir folder;
    std::filesystem::create_directories(folder / "Keys" / "Old");
    makeFile(folder / "top.bwr", "");
    makeFile(folder / "Keys" / "piano.bwr", "");
    makeFile(folder / "Keys" / "Old" / "organ.bwr", "");
    std::filesystem::create_directory_symlink(folder.path(), folder / "Keys" / "Old" / "loop");
    const std::string root = folder.str();  // given without a closing separator

    EXPECT_EQ(listed(root, 0), (std::vector<std::string>{root + "/top.bwr"}));
    EXPECT_EQ(listed(root + "/", 1), (std::vector<std::string>{root + "/Keys/piano.bwr", root + "/top.bwr"}));
    // Every level; the link back to the root is not followed round again.
    const std::vector<std::string> all{root + "/Keys/Old/organ.bwr", root + "/Keys/piano.bwr", root + "/top.bwr"};
    EXPECT_EQ(listed(root, 2), all);
    EXPECT_TRUE(listed(root + "/missing", 2).empty());
}

TEST(BWFileio, TempPathIsTheFullTemporaryFolderEndingInASeparator) {
    TempDir folder;
    std::filesystem::create_directory(folder / "real");
    std::filesystem::create_directory_symlink(folder / "real", folder / "link");
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous ? previous : "";
    setenv("TMPDIR", (folder / "link").c_str(), 1);
    const std::string temp = getTempPath();
    previous ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
    EXPECT_EQ(temp, std::filesystem::canonical(folder / "real").string() + "/");
    EXPECT_EQ(getTempPath().back(), '/');
}
