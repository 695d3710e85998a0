#include "persistence/PathStrings.h"

#include <gtest/gtest.h>

TEST(PathStrings, NamesAreFoundAfterEitherSeparator) {
    EXPECT_EQ(getFileName("C:\\a/b\\Pad 1.zvp"), "Pad 1.zvp");
    EXPECT_EQ(getFileName("/home/ann/"), "");
    EXPECT_EQ(getFileName("name"), "name");

    EXPECT_EQ(getBaseName("dir\\x.y.zvp"), "x.y");
    EXPECT_EQ(getBaseName("dir.v/x"), "x");  // a dot of the folder is no extension
    EXPECT_EQ(getBaseName("/a/.hidden"), "");

    for (const char* path :
         {"C:\\a\\b\\file.zvp", "C:\\a\\b\\", "/home/a/b/file.zvp", "/home/a/b/", "a\\b/file"})
        EXPECT_EQ(getFolderName(path), "b") << path;
    EXPECT_EQ(getFolderName("file"), "file");
    EXPECT_EQ(getFolderName("dir\\file"), "dir\\file");  // fewer than two separators: whole path
    EXPECT_EQ(getFolderName("/file"), "/file");
}

TEST(PathStrings, CuttingAndAppendingNeverLoseTheFolder) {
    std::string path = "/home/ann/x.zvp";
    stripFileName(path);
    EXPECT_EQ(path, "/home/ann/");
    path = "C:\\Content\\x.zvp";
    stripFileName(path);
    EXPECT_EQ(path, "C:\\Content\\");
    path = "x.zvp";
    stripFileName(path);
    EXPECT_EQ(path, "");
    path = "\\x.zvp";  // the only separator is the first character
    stripFileName(path);
    EXPECT_EQ(path, "");

    path = "";
    EXPECT_FALSE(appendBackslash(path));
    EXPECT_EQ(path, "");
    path = "/content";
    EXPECT_TRUE(appendBackslash(path));
    EXPECT_EQ(path, "/content/");
    EXPECT_FALSE(appendBackslash(path));
    path = "C:\\content\\";
    EXPECT_FALSE(appendBackslash(path));

    path = "dir\\x.y.zvp";
    replaceExtension(path, "mid");
    EXPECT_EQ(path, "dir\\x.mid");
    path = "my.dir/take";
    replaceExtension(path, ".wav");
    EXPECT_EQ(path, "my.dir/take.wav");
    path = std::string(3000, 'a') + ".zvp";  // longer than any fixed buffer
    replaceExtension(path, "mid");
    EXPECT_EQ(path, std::string(3000, 'a') + ".mid");
}

TEST(PathStrings, SuffixesAndExtensions) {
    EXPECT_TRUE(hasSuffix("a.zvp", "zvp"));
    EXPECT_FALSE(hasSuffix("zvp", "a.zvp"));
    EXPECT_TRUE(hasSuffix("zvp", ""));
    EXPECT_FALSE(hasSuffix("a.zvP", "zvp"));  // byte for byte

    EXPECT_TRUE(hasExtension("ab.zvp", "zvp"));
    EXPECT_TRUE(hasExtension("ab.zvp", ".zvp"));
    EXPECT_FALSE(hasExtension("ab.zvq", "zvp"));
    EXPECT_FALSE(hasExtension("abcd.p", "zvp"));  // the dot meets a compared character
    // The established quirks: the first character of the extension is never
    // compared, and a dot must lie at index 2 or beyond.
    EXPECT_TRUE(hasExtension("ab.xvp", "zvp"));
    EXPECT_FALSE(hasExtension("x.zvp", "zvp"));

    EXPECT_TRUE(hasExtension("abc.", nullptr));
    EXPECT_FALSE(hasExtension("ab", nullptr));
    EXPECT_FALSE(hasExtension("my.dir/name", nullptr));
    EXPECT_FALSE(hasExtension("my.dir\\name", nullptr));
    EXPECT_FALSE(hasExtension("", "zvp"));
}

TEST(PathStrings, CaseCopiesTouchOnlyAsciiLetters) {
    EXPECT_EQ(toLowerCopy("MIDI Programs_\xC4Z"), "midi programs_\xC4z");
    EXPECT_EQ(toLowerCopy(std::string(2000, 'Q')), std::string(2000, 'q'));  // no fixed buffer
    EXPECT_EQ(toUpperCopy("midi Programs_\xE4z"), "MIDI PROGRAMS_\xE4Z");
}
