// The tempo field, the manual link and the settings path view.

#include <gtest/gtest.h>

#include "WidgetScene.h"
#include "core/BWSystemInfo.h"
#include "guitoolkit/CTextEdit.h"
#include "guitoolkit/EditField.h"
#include "persistence/Settings.h"
#include "platform/ShellOpen.h"
#include "widgets/BWBPMControl.h"
#include "widgets/BWLocalLink.h"
#include "widgets/BWRegPathVisualizer.h"

namespace widget_test {
namespace {

struct Opened {
    Opened() {
        platform::setShellOpenHandler([this](const std::string& path) {
            paths.push_back(path);
            return true;
        });
    }
    ~Opened() { platform::setShellOpenHandler({}); }
    std::vector<std::string> paths;
};

TEST(BWBPMControl, TypedTemposReachTheSystemInformation) {
    WidgetScene scene;
    BWSystemInfo info(8, nullptr, nullptr, nullptr);
    ASSERT_TRUE(info.setTempo(120.0));
    EXPECT_EQ(info.samplesPerBeat.load(), 22050.0);
    auto* field = scene.add(new BWBPMControl(&info, CRect(10, 10, 60, 25), 200, scene.frame, nullptr));
    struct Case {
        const char* typed;
        double tempo;
    } cases[] = {
        {"30", 45.0},     // raised to the slowest tempo
        {"98.5", 98.5},
        {"500", 98.5},    // refused: nothing changes
        {"abc", 45.0},    // no number reads as 0, raised
        {"140", 140.0},
        {"nan", 140.0},   // refused, though it passes both range tests as a number
        {"inf", 140.0},
        {" 77.25 bpm", 77.25},
        {"-12", 45.0},
    };
    for (const Case& c : cases) {
        field->getTextEdit()->setText(c.typed);
        field->valueChanged(field->getTextEdit());
        EXPECT_EQ(info.tempo.load(), c.tempo) << c.typed;
        EXPECT_DOUBLE_EQ(info.samplesPerBeat.load(), 44100.0 * 60.0 / info.tempo.load()) << c.typed;
    }
    // The field follows the tempo at its idle and shows it with two decimals.
    field->draw(drawn(*field).get());
    EXPECT_FALSE(field->isDirty());
    EXPECT_EQ(std::string(field->getTextEdit()->getTextPointer()), "45.00");
    field->idle(0);
    EXPECT_FALSE(field->isDirty());
    info.setTempo(121.5);
    field->idle(0);
    EXPECT_TRUE(field->isDirty());
    field->remember();  // the inner field follows the widget's own count
    field->forget();
}

TEST(BWBPMControl, TypingInTheFieldSetsTheTempo) {
    WidgetScene scene;
    BWSystemInfo info(8, nullptr, nullptr, nullptr);
    auto* field = scene.add(new BWBPMControl(&info, CRect(10, 10, 60, 25), 200, scene.frame, nullptr));
    CPoint where(20, 15);
    EXPECT_EQ(field->onMouseDown(where, CButtonState(kLButton), 0), kMouseEventNotHandled);
    field->takeFocus();
    EditField* edit = scene.frame->getEditField();
    ASSERT_NE(edit, nullptr);
    const platform::WindowId window = scene.frame->getWindow();
    for (char c : std::string("96"))
        scene.windows.key(window, platform::WindowKey::Other, c, 0);
    scene.windows.key(window, platform::WindowKey::Return, 0, 0);
    EXPECT_EQ(scene.frame->getEditField(), nullptr);
    EXPECT_EQ(info.tempo.load(), 96.0);
}

TEST(BWLocalLink, OpensTheManualOnAReleaseInside) {
    WidgetScene scene;
    Opened opened;
    auto* strip = numberedStrip(20, 10, 2);
    auto* link = scene.add(new BWLocalLink(CRect(10, 10, 30, 20), nullptr, 369, scene.frame, nullptr, false));
    link->setBackground(strip);
    strip->forget();
    EXPECT_EQ(link->getPath(), "emptyManual.htm") << "no installpath";
    CPoint inside(15, 15), outside(50, 50);
    EXPECT_EQ(link->onMouseDown(inside, CButtonState(kLButton), 0), kMouseEventHandled);
    EXPECT_EQ(frameAt(*drawn(*link), 15, 15), 1) << "pressed: the second frame";
    EXPECT_EQ(link->onMouseUp(outside, CButtonState(kLButton), 0), kMouseEventNotHandled);
    EXPECT_TRUE(opened.paths.empty());
    EXPECT_EQ(frameAt(*drawn(*link), 15, 15), 0);
    link->onMouseDown(inside, CButtonState(kLButton), 0);
    EXPECT_EQ(link->onMouseUp(inside, CButtonState(kLButton), 0), kMouseHandledNoMoves);
    EXPECT_EQ(opened.paths, (std::vector<std::string>{"emptyManual.htm"}));

    setSettingString("installpath", "/opt/zorvane");
    BWLocalLink manual(CRect(), nullptr, 369, nullptr, "", false);
    BWLocalLink folder(CRect(), nullptr, 369, nullptr, nullptr, true);
    BWLocalLink own(CRect(), nullptr, 369, nullptr, "/tmp/notes.txt", false);
    EXPECT_EQ(manual.getPath(), "/opt/zorvane/Manual/Manual.htm");
    EXPECT_EQ(folder.getPath(), "/opt/zorvane/Manual/");
    EXPECT_EQ(own.getPath(), "/tmp/notes.txt");
}

TEST(BWRegPathVisualizer, ShowsTheEndOfALongPathBehindTwoDots) {
    WidgetScene scene;
    MarkerFont font(std::vector<uint8_t>(95, 10).data(), 95);
    auto shown = [&](const char* stored, int32_t width, const char* name = "librarypath") {
        if (stored) setSettingString("librarypath", stored);
        BWRegPathVisualizer view(CRect(0, 0, width, 15), nullptr, 367, nullptr, name);
        view.pictureFont = &font.font;
        return view.shownText(nullptr);
    };
    EXPECT_EQ(shown(nullptr, 100), "not set");
    EXPECT_EQ(shown("/music/samples/drums", 100), "../drums");
    EXPECT_EQ(shown("/music/samples/drums", 200), "/music/samples/drums") << "it fits exactly";
    EXPECT_EQ(shown("/music/samples/drums", 160), "../samples/drums");
    EXPECT_EQ(shown("C:\\Samples\\Kits\\drums", 100), "..\\drums");
    EXPECT_EQ(shown("/averyveryverylongfoldername", 100), "/averyveryverylongfoldername") << "no separator fits";
    EXPECT_EQ(shown("/music", 100, nullptr), "not set") << "without a name it reads \"none\"";

    // Drawn left-aligned with the picture font.
    setSettingString("librarypath", "/music/samples/drums");
    auto* view = scene.add(new BWRegPathVisualizer(CRect(10, 10, 110, 25), nullptr, 367, scene.frame, "librarypath"));
    view->pictureFont = &font.font;
    auto context = drawn(*view);
    const auto marks = MarkerFont::markers(*context, 10);
    ASSERT_EQ(marks.size(), 8u);
    EXPECT_EQ(marks.front(), std::pair(10, int32_t('.' - ' ')));
    EXPECT_EQ(marks.back(), std::pair(80, int32_t('s' - ' ')));
}

}  // namespace
}  // namespace widget_test
