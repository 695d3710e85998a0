// The tempo field, the manual link and the settings path view.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "WidgetScene.h"
#include "core/BWSystemInfo.h"
#include "guitoolkit/CTextEdit.h"
#include "persistence/Settings.h"
#include "support/MessageCapture.h"
#include "support/OpenedDocuments.h"
#include "support/TempDir.h"
#include "widgets/BWBPMControl.h"
#include "widgets/BWLocalLink.h"
#include "widgets/BWRegPathVisualizer.h"

namespace widget_test {
namespace {

TEST(BWBPMControl, TypedTemposReachTheSystemInformation) {
    WidgetScene scene;
    BWSystemInfo info(8, nullptr, nullptr, nullptr);
    auto* field = scene.add(new BWBPMControl(&info, CRect(10, 10, 60, 25), 200, scene.frame, nullptr));
    const std::pair<const char*, double> cases[] = {
        {"120", 120.0}, {"30", 45.0},  // raised to the slowest tempo
        {"500", 45.0},                 // refused: nothing changes
        {"98.5", 98.5}, {"abc", 45.0},  // no number reads as 0, raised
        {"140", 140.0}, {"nan", 140.0}, {"inf", 140.0},  // refused, though "nan" passes both range tests
        {" 77.25 bpm", 77.25},
    };
    for (auto [typed, tempo] : cases) {
        field->getTextEdit()->setText(typed);
        field->valueChanged(field->getTextEdit());
        EXPECT_EQ(info.tempo.load(), tempo) << typed;
        EXPECT_DOUBLE_EQ(info.samplesPerBeat.load(), 44100.0 * 60.0 / tempo) << typed;  // 22050 at 120
    }
    // Shown with two decimals, followed at the idle; typing goes through the window.
    field->draw(drawn(*field).get());
    EXPECT_EQ(std::string(field->getTextEdit()->getTextPointer()), "77.25");
    field->idle(0);
    EXPECT_FALSE(field->isDirty());
    field->takeFocus();
    ASSERT_NE(scene.frame->getEditField(), nullptr);
    for (char c : std::string("96")) scene.windows.key(scene.frame->getWindow(), platform::WindowKey::Other, c, 0);
    scene.windows.key(scene.frame->getWindow(), platform::WindowKey::Return, 0, 0);
    EXPECT_EQ(info.tempo.load(), 96.0);
    field->idle(0);
    EXPECT_TRUE(field->isDirty());
}

TEST(BWLocalLink, OpensTheManualOnAReleaseInsideAndSaysWhenItIsNotInstalled) {
    WidgetScene scene;
    OpenedDocuments opened;
    MessageCapture boxes;
    TempDir install;
    std::filesystem::create_directories(install / "Manual");
    CPoint inside(15, 15), outside(50, 50);
    const struct {
        const char* what;
        bool installPath;
        bool manual;
    } cases[] = {{"no installpath", false, false}, {"no manual in the folder", true, false}, {"the manual", true, true}};
    for (const auto& c : cases) {
        if (c.installPath) setSettingString("installpath", install.str());
        if (c.manual) std::ofstream(install / "Manual" / "Manual.htm") << "<html></html>";
        auto* link = scene.add(new BWLocalLink(CRect(10, 10, 30, 20), nullptr, 369, scene.frame, nullptr, false));
        link->ownBitmap = numberedStrip(20, 10, 2);
        link->useOwnBitmap = true;
        EXPECT_EQ(link->onMouseDown(inside, CButtonState(kLButton), 0), kMouseEventHandled);
        EXPECT_EQ(frameAt(*drawn(*link), 15, 15), 1) << "pressed: the second frame";
        EXPECT_EQ(link->onMouseUp(outside, CButtonState(kLButton), 0), kMouseEventNotHandled);
        EXPECT_EQ(frameAt(*drawn(*link), 15, 15), 0);
        EXPECT_TRUE(opened.paths.empty() && boxes.texts().empty()) << c.what << ": a release outside does nothing";
        link->onMouseDown(inside, CButtonState(kLButton), 0);
        EXPECT_EQ(link->onMouseUp(inside, CButtonState(kLButton), 0), kMouseHandledNoMoves);
        link->ownBitmap->forget();
        scene.frame->removeView(link);
        if (c.manual) {
            EXPECT_EQ(opened.paths, std::vector<std::string>{install.str() + "/Manual/Manual.htm"});
            EXPECT_TRUE(boxes.texts().empty());
        } else {
            EXPECT_TRUE(opened.paths.empty()) << c.what << ": no path to nothing is handed on";
            EXPECT_EQ(boxes.texts(), std::vector<std::string>{"The manual is not installed."}) << c.what;
            ASSERT_FALSE(boxes.shown().empty());
            EXPECT_EQ(boxes.shown()[0].kind, platform::MessageKind::Ok);
        }
        boxes.clear();
    }

    setSettingString("installpath", "/opt/zorvane");
    EXPECT_EQ(BWLocalLink(CRect(), nullptr, 369, nullptr, "", false).getPath(), "/opt/zorvane/Manual/Manual.htm");
    EXPECT_EQ(BWLocalLink(CRect(), nullptr, 369, nullptr, nullptr, true).getPath(), "/opt/zorvane/Manual/");
    EXPECT_EQ(BWLocalLink(CRect(), nullptr, 369, nullptr, "/tmp/notes.txt", false).getPath(), "/tmp/notes.txt");
}

TEST(BWRegPathVisualizer, ShowsTheEndOfALongPathBehindTwoDots) {
    WidgetScene scene;
    MarkerFont font(std::vector<uint8_t>(95, 10).data(), 95);
    const struct {
        const char* stored;  // null: none
        int32_t width;
        const char* shown;
    } cases[] = {
        {nullptr, 100, "not set"},
        {"/music/samples/drums", 100, "../drums"},
        {"/music/samples/drums", 200, "/music/samples/drums"},  // fits exactly
        {"/music/samples/drums", 160, "../samples/drums"},
        {"C:\\Samples\\Kits\\drums", 100, "..\\drums"},
        {"/averyveryverylongfoldername", 100, "/averyveryverylongfoldername"},  // no separator fits: clipped
    };
    for (const auto& c : cases) {
        if (c.stored) setSettingString("librarypath", c.stored);
        BWRegPathVisualizer view(CRect(0, 0, c.width, 15), nullptr, 367, nullptr, "librarypath");
        view.pictureFont = &font.font;
        EXPECT_EQ(view.shownText(nullptr), c.shown) << c.stored;
    }
    EXPECT_EQ(BWRegPathVisualizer(CRect(), nullptr, 367, nullptr, nullptr).getPathText(), "not set")
        << "without a name it reads \"none\"";
    setSettingString("librarypath", "/music/samples/drums");
    auto* view = scene.add(new BWRegPathVisualizer(CRect(10, 10, 110, 25), nullptr, 367, scene.frame, "librarypath"));
    view->pictureFont = &font.font;
    const auto marks = MarkerFont::markers(*drawn(*view), 10);
    ASSERT_EQ(marks.size(), 8u) << "drawn from the left edge";
    EXPECT_EQ(marks.front(), std::pair(10, int32_t('.' - ' ')));
    EXPECT_EQ(marks.back(), std::pair(80, int32_t('s' - ' ')));
}

}  // namespace
}  // namespace widget_test
