// The file selector: filter strings, results of the system dialog for each
// command, the host's selector, whole paths and the 1024-path limit.

#include <gtest/gtest.h>

#include "support/WindowDoubles.h"
#include "guitoolkit/CFileSelector.h"
#include "platform/FileDialogs.h"

namespace toolkit_test {
namespace {

using VSTGUI::CFileSelector;
using VSTGUI::VstFileSelect;

struct ScriptedDialogs {
    explicit ScriptedDialogs(platform::FileDialogResult answer) {
        previous = platform::setFileDialogHandler([this, answer](const platform::FileDialogRequest& r) {
            requests.push_back(r);
            return answer;
        });
    }
    ~ScriptedDialogs() { platform::setFileDialogHandler(previous); }
    std::vector<platform::FileDialogRequest> requests;
    platform::FileDialogHandler previous;
};

TEST(CFileSelector, FilterStrings) {
    using Filters = std::vector<platform::FileFilter>;
    VstFileSelect one;
    one.fileTypes = {{"Preset", "", "bwp", "bwp"}};
    EXPECT_EQ(CFileSelector::filtersOf(one), (Filters{{"Preset (*.bwp)", "*.bwp"}, {"Any Type (*.*)", "*.*"}}));
    VstFileSelect two;
    two.fileTypes = {{"Wave", "", "wav", "wave"}, {"Aiff", "", "aif", ""}, {"Wave again", "", "wav", "wav"}};
    EXPECT_EQ(CFileSelector::filtersOf(two), (Filters{{"Wave (*.wav)", "*.wav;*.wave"},
                                                      {"Aiff (*.aif)", "*.aif"},
                                                      {"Wave again (*.wav)", "*.wav"},
                                                      {"All Types: (*.wav;*.aif)", "*.wav;*.aif"},
                                                      {"Any Type (*.*)", "*.*"}}));
}

TEST(CFileSelector, ResultsOfTheSystemDialog) {
    HostEffect effect;
    effect.can = {"openFileSelector"};  // without "closeFileSelector" the system dialog runs
    const std::string longPath = "/" + std::string(2000, 'p') + ".bwp";
    {
        ScriptedDialogs dialogs({true, {longPath}});
        VstFileSelect request;
        request.command = VSTGUI::kFileSave;
        request.title = "Save";
        request.initialPath = "/presets";
        request.fileTypes = {{"Preset", "", "bwp", ""}};
        CFileSelector selector(&effect);
        EXPECT_EQ(selector.run(&request, "mine.bwp"), 1);
        EXPECT_EQ(std::string(request.returnPath), longPath) << "the whole path";
        EXPECT_EQ(request.reserved, 1);
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].style, platform::FileDialogStyle::Save);
        EXPECT_EQ(dialogs.requests[0].initialFile, "mine.bwp");
        EXPECT_EQ(dialogs.requests[0].types[0].dotExtension, ".bwp");
        EXPECT_EQ(effect.opened, nullptr);
    }
    {
        ScriptedDialogs dialogs({true, {longPath}});
        char own[16] = "x";
        VstFileSelect request;
        request.returnPath = own;
        request.sizeReturnPath = sizeof(own);
        {
            CFileSelector selector(&effect);
            EXPECT_EQ(selector.run(&request), 1);
        }
        EXPECT_EQ(request.returnPath, own) << "the caller's buffer stays";
        EXPECT_EQ(std::string(own), longPath.substr(0, 15));
    }
    {
        std::vector<std::string> many;
        for (int i = 0; i < 1100; ++i) many.push_back("/f" + std::to_string(i));
        ScriptedDialogs dialogs({true, many});
        VstFileSelect request;
        request.command = VSTGUI::kMultipleFilesLoad;
        CFileSelector selector(&effect);
        EXPECT_EQ(selector.run(&request), 1024);
        EXPECT_STREQ(request.returnMultiplePaths[1023], "/f1023");
    }
    {
        ScriptedDialogs dialogs({false, {}});
        char own[8] = "old";
        VstFileSelect request;
        request.command = VSTGUI::kDirectorySelect;
        request.returnPath = own;
        request.sizeReturnPath = sizeof(own);
        CFileSelector selector(&effect);
        EXPECT_EQ(selector.run(&request), 0);
        EXPECT_STREQ(own, "") << "cancelled: empty return path";
        EXPECT_EQ(dialogs.requests[0].style, platform::FileDialogStyle::Folder);
    }
}

TEST(CFileSelector, TheHostsSelectorWhenItCanDoBoth) {
    HostEffect effect;
    effect.can = {"openFileSelector", "closeFileSelector"};
    ScriptedDialogs dialogs({true, {"/never"}});
    VstFileSelect request;
    request.initialPath = "/x/";
    {
        CFileSelector selector(&effect);
        EXPECT_EQ(selector.run(&request), 0) << "the host refused";
        effect.openAnswer = true;
        request.nbReturnPath = 0;
        EXPECT_EQ(selector.run(&request), 0);
    }
    EXPECT_EQ(effect.opened, &request);
    EXPECT_EQ(effect.closed, &request);
    EXPECT_EQ(request.initialPath, "/x/DefaultDefault");
    EXPECT_TRUE(dialogs.requests.empty());
}

}  // namespace
}  // namespace toolkit_test
