#include "persistence/ObjectFiles.h"

#include <gtest/gtest.h>

#include <fstream>

#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"
#include "persistence/BWFileChooser.h"
#include "persistence/Settings.h"
#include "persistence/TextLines.h"
#include "platform/FileDialogs.h"
#include "support/MessageCapture.h"
#include "support/TempDir.h"

namespace {

struct Pair : BWChunkableClass {
    int32_t a = 0, b = 0;
    std::string name;
    bool refuse = false;
    int32_t readChunk(BWChunk* chunk, bool) override {
        if (refuse) return kChunkReadFailed;
        a = chunk->readInt();
        b = chunk->readInt();
        return chunk->hasFailed() ? kChunkReadFailed : kChunkReadOk;
    }
    void writeChunk(BWChunk* chunk) override {
        chunk->writeInt(a);
        chunk->writeInt(b);
    }
    void setName(const char* n) override { name = n; }
};

// Answers every dialog with one path and records the requests.
struct ScriptedDialogs {
    std::vector<platform::FileDialogRequest> requests;
    platform::FileDialogHandler previous;
    explicit ScriptedDialogs(std::string answer) {
        previous = platform::setFileDialogHandler([this, answer](const platform::FileDialogRequest& r) {
            requests.push_back(r);
            return platform::FileDialogResult{!answer.empty(), {answer}};
        });
    }
    ~ScriptedDialogs() { platform::setFileDialogHandler(previous); }
};

}  // namespace

TEST(ObjectFiles, SaveAndLoadRoundTripAndTellTheName) {
    TempDir folder;
    const std::string path = (folder / "Groove.obj").string();
    Pair saved;
    saved.a = 4;
    saved.b = -9;
    ASSERT_TRUE(saveObjectToFile(&saved, path));
    EXPECT_EQ(saved.name, "Groove");
    Pair loaded;
    ASSERT_TRUE(loadObjectDialog(&loaded, path));
    EXPECT_EQ(loaded.a, 4);
    EXPECT_EQ(loaded.b, -9);
    EXPECT_EQ(loaded.name, "Groove");

    // Every load that fails says why and names the file.
    MessageCapture messages;
    loaded.refuse = true;
    EXPECT_FALSE(loadObjectDialog(&loaded, path));
    EXPECT_FALSE(loadObjectDialog(&loaded, (folder / "missing.obj").string()));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"This is not a Zorvane file of this kind:\n" + path,
                                                          "The file could not be found:\n" + (folder / "missing.obj").string()}));

    messages.clear();
    EXPECT_FALSE(saveObjectToFile(&saved, (folder / "no" / "such" / "x.obj").string()));
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0].rfind("saving preset to ", 0), 0u);

    // A preset with a description record is no object file.
    std::vector<uint32_t> preset{7, 9, 0, 0, BWChunk::kFormatPlainWithInfo, 1, 2};
    std::ofstream((folder / "p.zvp").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(preset.data()), preset.size() * 4);
    Pair other;
    messages.clear();
    EXPECT_FALSE(loadObjectDialog(&other, (folder / "p.zvp").string()));
    EXPECT_EQ(other.a, 0);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"This is not a Zorvane file of this kind:\n" + (folder / "p.zvp").string()});
}

TEST(ObjectFiles, SaveDialogForcesTheExtensionAndRemembersTheFolder) {
    TempDir folder;
    ScriptedDialogs dialogs((folder / "Chosen.txt").string());
    BWFileChooser chooser(nullptr, "Chord Bank", "bwh");
    std::string path = "Start";
    ASSERT_TRUE(chooser.chooseFile(path, "cc savepath", "Save Bank", platform::FileDialogStyle::Save));
    EXPECT_EQ(path, (folder / "Chosen.bwh").string());
    std::string remembered;
    ASSERT_TRUE(getSettingString("cc savepath", remembered));
    EXPECT_EQ(remembered, folder.str() + "/");
    const platform::FileDialogType& type = dialogs.requests.at(0).types.at(0);
    EXPECT_EQ(type.name, "Chord Bank");
    EXPECT_EQ(type.dotExtension, ".bwh");
    EXPECT_EQ(type.unixType, "bwh");
    // The next dialog of the command starts in the remembered folder.
    chooser.chooseFile(path, "cc savepath", "Save Bank", platform::FileDialogStyle::Save);
    EXPECT_EQ(dialogs.requests.at(1).initialFolder, folder.str() + "/");

    Pair object;
    EXPECT_TRUE(saveObjectDialog(&object, nullptr, "Lane"));
    EXPECT_EQ(dialogs.requests.at(2).title, "Save File");

    std::string sample = "/s/";
    EXPECT_TRUE(BWFileChooser::chooseAudioFile(sample, "wav"));
    EXPECT_EQ(dialogs.requests.at(3).types.size(), 4u);
    EXPECT_EQ(dialogs.requests.at(3).types.at(1).macType, "aiff");
    EXPECT_EQ(BWFileChooser::makeType(std::string(200, 'x'), "longextension").dotExtension, ".longex");
}

TEST(ObjectFiles, HeadlessDialogsAreCancelled) {
    BWFileChooser chooser;
    std::string path = "keep";
    EXPECT_FALSE(chooser.chooseFile(path, "notset", "t", platform::FileDialogStyle::Load));
    EXPECT_EQ(path, "keep");
    EXPECT_FALSE(chooser.runLoadDialog(path, "notset"));
}

TEST(TextLines, BreaksCountAndCopy) {
    struct Case {
        const char* text;
        uint32_t lines;
        const char* line1;  // null: no second line
    } cases[] = {{"", 1, nullptr}, {"a\nb", 2, "b"}, {"one\\ntwo", 2, "two"}, {"x\\n\\n", 3, ""}, {"a\\b", 1, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(countTextLines(c.text), c.lines);
        char out[16] = "?";
        EXPECT_EQ(getTextLine(1, out, c.text), c.line1 != nullptr);
        if (c.line1) {
            EXPECT_STREQ(out, c.line1);
        }
    }
    char out[8];
    EXPECT_TRUE(getTextLine(0, out, "one\\ntwo"));
    EXPECT_STREQ(out, "one");
    EXPECT_FALSE(getTextLine(2, out, "one\\ntwo"));
    copyStringBounded(out, "sixsix", 4);
    EXPECT_STREQ(out, "six");
    copyStringBounded(out, "ab", 4);
    EXPECT_STREQ(out, "ab");
    EXPECT_GT(currentTimeMs(), 1600000000000ull);
}
