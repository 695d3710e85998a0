// The interface through the module, as a host drives it: Zorvane.so's view
// in the host library's headless window, edited with the mouse in window
// pixels.  Host parameters are checked where the host sees them
// (GetParameterNormalizedValue and the automation requests); the
// interface's own controls through the state the host saves, read into a
// fresh plug-in object.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ModuleUnderTest.h"
#include "ProgramRuns.h"
#include "core/BWZone.h"
#include "core/BWZoneHandler.h"
#include "factory/FactoryContent.h"
#include "host/ContentFolder.h"
#include "host/HeadlessView.h"
#include "host/HostInstance.h"
#include "host/PageSetScript.h"
#include "host/ViewCommands.h"
#include "platform/WindowSystem.h"
#include "plugin/BWUniClient.h"
#include "support/AudioMeasure.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"

namespace {

// Where the widgets are, in design pixels.
constexpr DesignPoint kKnob0 = {914, 125};          // "MasterLevel", 43 x 43 at 893, 104
constexpr DesignPoint kArpMode = {46, 398};         // button 217
constexpr DesignPoint kChordList = {87, 672};       // menu 326; its list opens at 58, 545
constexpr DesignPoint kMinorSeventh = {75, 646};    // its seventh row, "min 7"
constexpr DesignPoint kLearnEntry = {830, 133};     // "Midi Learn" of the menu a right click on knob 0 opens
constexpr DesignPoint kExport = {896, 72};          // the MIDI export's drag button
constexpr DesignPoint kLocatePanel = {400, 223};    // closes the panel an empty library shows
constexpr DesignPoint kEarlierInstrument = {143, 111};  // the arrows beside layer 1's instrument menu
constexpr DesignPoint kLaterInstrument = {143, 143};
constexpr int32_t kGateTop = 416, kGateHeight = 61;  // table 389 at 192, 416
constexpr int32_t kZoneY = 230;                      // view 372 at 192, 224: 32 keys of 21 pixels

int32_t zoneKeyX(int32_t key) { return 192 + 21 * key + 10; }

// An instance of the module with its view open in a headless host window at
// a zoom, the host parameter "0" set before the view opens.
struct ModuleView {
    explicit ModuleView(int32_t zoomPercent = 100, double level = 0.2)
        : percent(zoomPercent), zoomed(applyZoom(zoomPercent, error)), instance(module().effect(), 2, 44100.0f) {
        instance.automate("0", level);
        view = std::make_unique<HeadlessView>(instance);
        view->tick(3);
        click(kLocatePanel);
        instance.automationLog.clear();
    }
    int32_t px(int32_t design) const { return windowPixel(design, percent); }
    void click(DesignPoint p, uint8_t button = 0, uint32_t keys = 0) {
        view->click(px(p.x), px(p.y), button, keys);
        view->tick(3);
    }
    void drag(DesignPoint from, DesignPoint to) {
        view->drag(px(from.x), px(from.y), px(to.x), px(to.y));
        view->tick(3);
    }
    // The pixels of a design rectangle.
    std::vector<uint32_t> region(int32_t x, int32_t y, int32_t w, int32_t h) const {
        std::vector<uint32_t> out;
        for (int32_t row = px(y); row < px(y + h); ++row)
            for (int32_t col = px(x); col < px(x + w); ++col)
                out.push_back(view->pixels()[size_t(row) * view->width() + col] & 0xffffff);
        return out;
    }
    std::vector<uint32_t> knob0() const { return region(893, 104, 43, 43); }
    double level() const { return instance.parameter("0"); }

    int32_t percent;
    std::string error;
    bool zoomed;
    HostInstance instance;
    std::unique_ptr<HeadlessView> view;
};

// The saved state read into a fresh plug-in object.
std::unique_ptr<BWUniClient> stateOf(HostInstance& instance) {
    std::vector<uint8_t> bytes = instance.saveState();
    auto client = std::make_unique<BWUniClient>(nullptr, 1, false);
    EXPECT_FALSE(bytes.empty());
    EXPECT_GT(client->setChunk(bytes.data(), int32_t(bytes.size()), false), 0);
    return client;
}

std::vector<float> gateSteps(BWUniClient& client) {
    std::vector<float> steps;
    for (uint64_t i = 0; i < 32; ++i) steps.push_back(client.patterns().table(3).getValue(i));
    return steps;
}

int32_t firstZoneEnd(BWUniClient& client) {
    BWZoneHandler* lane = client.patterns().zones.laneHandler(0);
    BWZone* zone = lane ? lane->visibleZone(0) : nullptr;
    return zone ? zone->end : -1;
}

TEST(EditorThroughModule, KnobZeroTakesDragWheelAndResetAtBothZoomsAsAutomation) {
    SettingsSandbox settings;
    for (int32_t percent : {100, 150}) {
        ModuleView open(percent);
        ASSERT_TRUE(open.zoomed) << open.error;
        ASSERT_TRUE(open.view->ok());
        ASSERT_EQ(open.view->width(), 960 * percent / 100);
        struct Step {
            const char* what;
            std::function<void()> edit;
            double level;
        };
        const Step steps[] = {
            // 50 design pixels: 75 window pixels at 150 %.
            {"dragged up 50 pixels", [&] { open.drag(kKnob0, {kKnob0.x, kKnob0.y - 50}); }, 0.7},
            {"one wheel notch", [&] {
                 open.view->move(open.px(kKnob0.x), open.px(kKnob0.y));
                 open.view->wheel(open.px(kKnob0.x), open.px(kKnob0.y), 1);
                 open.view->tick(3);
             }, 0.7175},
            {"Control-click", [&] { open.click(kKnob0, 0, platform::kStateControl); }, 0.5},
        };
        for (const Step& step : steps) {
            open.instance.automationLog.clear();
            step.edit();
            EXPECT_NEAR(open.level(), step.level, 2e-4) << step.what << " at " << percent << " %";
            const std::vector<std::string>& log = open.instance.automationLog;
            // Each value is a request of its own ("touch 0", "set 0 v",
            // "release 0"), within the knob's own touch and release.
            ASSERT_GE(log.size(), 3u) << step.what;
            EXPECT_EQ(log.front(), "touch 0") << step.what;
            EXPECT_EQ(log.back(), "release 0") << step.what;
            const auto last = std::find_if(log.rbegin(), log.rend(), [](const std::string& line) { return line.starts_with("set 0 "); });
            ASSERT_NE(last, log.rend()) << step.what;
            EXPECT_NEAR(std::stod(last->substr(6)), step.level, 2e-4) << step.what;
        }
    }
}

TEST(EditorThroughModule, AHostChangeShowsAtTheNextTimerCallWithoutEcho) {
    SettingsSandbox settings;
    ModuleView open;
    const std::vector<uint32_t> before = open.knob0();
    ASSERT_TRUE(open.instance.automate("0", 0.8));
    open.view->tick(1);
    EXPECT_TRUE(open.instance.automationLog.empty()) << open.instance.automationLog.front();
    EXPECT_NE(open.knob0(), before);
    ModuleView openedThere(100, 0.8);
    EXPECT_EQ(open.knob0(), openedThere.knob0()) << "the knob shows the frame of 0.8";
}

TEST(EditorThroughModule, TheInterfacesOwnControlsReachTheSavedState) {
    SettingsSandbox settings;
    ModuleView open;
    const std::unique_ptr<BWUniClient> before = stateOf(open.instance);
    const std::vector<uint32_t> menuBefore = open.region(67, 665, 40, 15);

    open.click(kArpMode);
    // The list opens with its corner at (58, 545), and goes with the pick.
    const std::vector<uint32_t> shut = open.region(58, 545, 50, 30), besideShut = open.region(40, 545, 18, 30);
    open.click(kChordList);
    EXPECT_NE(open.region(58, 545, 50, 30), shut);
    EXPECT_EQ(open.region(40, 545, 18, 30), besideShut);
    open.click(kMinorSeventh);
    EXPECT_EQ(open.region(58, 545, 50, 30), shut);
    // The gate table painted with one stroke from its top to its bottom.
    open.drag({300, kGateTop + 2}, {420, kGateTop + kGateHeight - 3});
    // The first key zone pulled back to keys 0 to 15, then a click on key 24
    // right of it: the zone grows to take it.
    open.drag({zoneKeyX(31), kZoneY}, {zoneKeyX(15), kZoneY});
    const int32_t shortened = firstZoneEnd(*stateOf(open.instance));
    open.click({zoneKeyX(24), kZoneY});

    const std::unique_ptr<BWUniClient> after = stateOf(open.instance);
    open.click(kArpMode);
    EXPECT_EQ(before->rawValue(Tag::Arpmode) > 0, true) << "the arpeggiator starts on";
    EXPECT_EQ(after->rawValue(Tag::Arpmode), 0.0f) << "a click switches it off";
    EXPECT_EQ(stateOf(open.instance)->rawValue(Tag::Arpmode), 1.0f) << "and the next on";
    EXPECT_FLOAT_EQ(after->rawValue(Tag::Chordlist), 6.0f * (0.125f + 0.00001f)) << "\"min 7\" sends 0.75006";
    EXPECT_NE(gateSteps(*after), gateSteps(*before)) << "painting table 389 changes table 3";
    EXPECT_EQ(firstZoneEnd(*before), 31);
    EXPECT_EQ(shortened, 15);
    EXPECT_EQ(firstZoneEnd(*after), 24);
    // The closed menu shows the picked entry, as an instance opened with
    // that state shows it.
    EXPECT_NE(open.region(67, 665, 40, 15), menuBefore);
    ModuleView reopened;
    ASSERT_EQ(reopened.instance.loadState(open.instance.saveState()), AAX_SUCCESS);
    reopened.view->tick(3);
    EXPECT_EQ(reopened.region(67, 665, 40, 15), open.region(67, 665, 40, 15));
    // None of these is a host parameter: nothing was automated.
    EXPECT_TRUE(open.instance.automationLog.empty());
}

TEST(EditorThroughModule, MidiLearnOnKnobZeroMakesTheNextControllerMoveIt) {
    SettingsSandbox settings;
    ModuleView open;
    open.click(kKnob0, 2);
    open.click(kLearnEntry);
    float left[512], right[512];
    float* outputs[2] = {left, right};
    for (uint8_t value : {100, 64}) {
        open.instance.queueMidi(0, 0xB0, 21, value);
        open.instance.runBlock(outputs, 512);
        open.view->tick(2);
    }
    EXPECT_NEAR(open.level(), 64.0 / 127.0, 0.01);
}

TEST(EditorThroughModule, TheExportButtonDropsTheMidiFileIntoTheHostsFolder) {
    SettingsSandbox settings;
    TempDir drops;
    setenv("ZORVANE_DROP_DIR", drops.str().c_str(), 1);
    {
        ModuleView open;
        open.click(kExport);
        open.view->tick(3);
    }
    unsetenv("ZORVANE_DROP_DIR");
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(drops.path())) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].extension(), ".mid");
    EXPECT_GT(std::filesystem::file_size(files[0]), 14u) << "more than a header";
}

}  // namespace

namespace {

// The content folder's factory instruments, the settings pointed at it and
// the demo's state loaded into an open view.
struct ContentView {
    SettingsSandbox settings;
    TempDir content;
    bool pointed = [this] {
        std::string error;
        return writeFactoryContent(content.path(), error) && pointSettingsAt(content.str(), error);
    }();
    ModuleView open;

    // The layers' sound of a C major chord held for a second, left channel.
    std::vector<float> heldChord() {
        constexpr int32_t kFrames = 512, kBlocks = 86;
        std::vector<float> left(kFrames), right(kFrames), audio;
        float* outputs[2] = {left.data(), right.data()};
        for (uint8_t key : {48, 60, 64, 67}) open.instance.queueMidi(0, 0x90, key, 100);
        for (int32_t block = 0; block < kBlocks; ++block) {
            open.instance.runBlock(outputs, kFrames);
            audio.insert(audio.end(), left.begin(), left.end());
        }
        for (uint8_t key : {48, 60, 64, 67}) open.instance.queueMidi(0, 0x80, key, 0);
        for (int32_t block = 0; block < kBlocks * 3; ++block) open.instance.runBlock(outputs, kFrames);
        return audio;
    }
};

}  // namespace

// The factory instruments lie in a sub-folder, which the instrument menus
// list; the arrows beside layer 1's name step through it in the order of
// the names ("Nylon Pluck", "Round Bass", "Soft Keys", "Warm Pad"), and the
// held chord sounds another colour.
TEST(EditorThroughModule, TheInstrumentArrowStepsThroughTheFactoryInstruments) {
    ContentView view;
    ASSERT_TRUE(view.pointed);
    ASSERT_EQ(view.open.instance.loadState(demoState()), AAX_SUCCESS);
    view.open.view->tick(3);
    const std::vector<uint32_t> nameBefore = view.open.region(17, 113, 113, 17);
    const std::vector<float> before = view.heldChord();
    EXPECT_EQ(stateOf(view.open.instance)->soundLayer(0).getInstrumentName(), "Soft Keys");

    view.open.click(kLaterInstrument);
    EXPECT_EQ(stateOf(view.open.instance)->soundLayer(0).getInstrumentName(), "Warm Pad");
    EXPECT_NE(view.open.region(17, 113, 113, 17), nameBefore) << "the menu shows the new name";
    const std::vector<float> after = view.heldChord();
    const double apart = meanDifferenceDb(bandColour(before.data(), before.size(), 44100), bandColour(after.data(), after.size(), 44100));
    EXPECT_GE(apart, 2.0) << "the chord's colour moved " << apart << " dB";

    for (const char* expected : {"Soft Keys", "Round Bass", "Nylon Pluck"}) {
        view.open.click(kEarlierInstrument);
        EXPECT_EQ(stateOf(view.open.instance)->soundLayer(0).getInstrumentName(), expected);
    }
}
