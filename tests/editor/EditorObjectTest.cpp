// The editor object: its rectangle and fonts, the shared images, the page
// set with the host's page report, the idle's display pass and the requests
// the plug-in object records for it (also from another thread).

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "EditorScene.h"
#include "editor/SharedImages.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "widgets/BWViewContainer.h"

namespace editor_test {
namespace {

TEST(EditorObject, DesignSizeFontsPagesAndTheAboutCapability) {
    EditorScene scene;
    ERect* rect = nullptr;
    ASSERT_TRUE(scene.editor->getRect(&rect));
    EXPECT_EQ(rect->right - rect->left, 960);
    EXPECT_EQ(rect->bottom - rect->top, 697);
    EXPECT_FALSE(scene.editor->getTimer().isRunning()) << "the host's idle drives it";
    // Fonts 1, 4 and 7 draw '%' 8 wide; font 9 is the tall one of table B.
    VSTGUI::BWPictureFont* const* fonts = scene.editor->getPictureFontTable();
    for (int32_t i = 0; i < BWUniClientEditor::kFilledPictureFonts; ++i) {
        EXPECT_EQ(fonts[i]->glyphWidth('%'), i == 9 ? 10 : (i == 1 || i == 4 || i == 7) ? 8 : 7) << i;
        EXPECT_EQ(fonts[i]->getGlyphHeight(), i == 9 ? 15 : 11) << i;
    }
    EXPECT_EQ(fonts[BWUniClientEditor::kFilledPictureFonts], nullptr);

    scene.editor->setPageVisible(5, true);
    scene.editor->setPageVisible(5, true);
    scene.editor->hidePage(6);                // hidden already
    scene.editor->setPageVisible(128, true);  // no such page
    AEffect* effect = scene.client->getAeffect();
    EXPECT_TRUE(effect->isPageVisible(effect, 5)) << "the core's hook answers from the same set";
    scene.editor->hidePage(5);
    const auto reports = scene.requests(HostOpcode::PageVisibility);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(std::tuple(reports[0].index, reports[0].value, reports[1].value), std::tuple(5, 1, 0));

    EXPECT_EQ(scene.client->canDo("hasAboutScreen"), 0);
    ASSERT_TRUE(scene.open());
    auto* container = new VSTGUI::BWViewContainer(VSTGUI::CRect(365, 223, 665, 523), scene.editor, 305180368,
                                                  scene.frame());
    container->setVisible(false);
    scene.frame()->addView(container);
    scene.editor->setHookContainer(container);
    EXPECT_EQ(scene.client->canDo("hasAboutScreen"), 1);
    scene.client->openHookMenu();
    EXPECT_EQ(scene.frame()->getOverlay(), container);
    scene.editor->close();
    EXPECT_EQ(scene.client->canDo("hasAboutScreen"), 0) << "close forgets what the open built";
}

TEST(EditorObject, EditorsShareTheImagesTheLastCloseReleasesThem) {
    EditorScene first;
    EXPECT_EQ(first.editor->getBitmap(1000), nullptr) << "no editor open";
    ASSERT_TRUE(first.open());
    EXPECT_TRUE(first.open()) << "a second open builds nothing";
    VSTGUI::CBitmap* background = first.editor->getBitmap(1000);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(first.editor->getBitmap(999), nullptr);
    EXPECT_EQ(first.editor->getBitmap(1122), nullptr);
    EXPECT_EQ(first.frame()->getBackground(), background);
    EXPECT_EQ((*first.frame()->imageTable)[121], first.editor->getBitmap(1121));
    {
        EditorScene second;
        ASSERT_TRUE(second.open());
        EXPECT_EQ(second.editor->getBitmap(1000), background) << "not loaded again";
        first.editor->close();
        first.editor->close();  // closing a closed editor releases nothing more
        EXPECT_EQ(second.editor->getBitmap(1000), background);
        EXPECT_EQ(SharedImages::openCount(), 1u);
    }
    EXPECT_EQ(SharedImages::openCount(), 0u);
    EXPECT_EQ(first.editor->getBitmap(1000), nullptr);
}

TEST(EditorObject, IdleFillsTheDisplayBlock) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    DisplayBlock& block = scene.client->displayBlock();
    block.positions = {24.0f, 30.0f};
    block.activity[0] = 1.0f;  // the second marker is inactive
    block.positions2[0] = 12.0f;
    block.activity2[0] = 1.0f;
    block.counter1 = 2.0f;
    block.source = 0.5f;
    scene.windows.advance(1500);
    scene.editor->idle();
    const auto first = std::tuple(block.elapsedMs, block.ratio[0], block.pixels[0], block.pixelsLess1[0],
                                  block.pixels[1], block.pixelsLess1[1], block.counter1Pixels,
                                  block.counter1Fraction, block.sourceScaled, block.marker, block.pixels2[0],
                                  block.height2[0]);
    // A pause over a second counts as one; 24 of 48 steps is half of 673 px.
    EXPECT_EQ(first, std::tuple(1000.0f, 0.5f, 336.5f, 335.5f, 0.0f, -1.0f, 42.0f, 0.0625f, 4.0f, 5.0f, 168.25f,
                                29.0f));
    block.shift = 6.0f;
    scene.windows.advance(40);
    scene.editor->idle();
    EXPECT_EQ(std::tuple(block.elapsedMs, block.appliedShift, block.ratio[0]), std::tuple(40.0f, 6.0f, 0.375f));
    block.shiftDisable = 1.0f;
    block.markerDisable = 1.0f;
    scene.editor->idle();
    EXPECT_EQ(std::tuple(block.ratio[0], block.marker), std::tuple(0.5f, 0.0f));
    // Outside the running state the pass is left out.
    block.runState = 2;
    block.counter1 = 7.0f;
    scene.editor->idle();
    EXPECT_EQ(block.counter1Pixels, 42.0f);
}

TEST(EditorObject, RequestsRecordedByTheCoreAreServedAtTheNextIdle) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    CallLog log;
    toolkit_test::ProbeView lane(log, "lane", VSTGUI::CRect(0, 0, 10, 10));
    toolkit_test::ProbeView gate(log, "gate", VSTGUI::CRect(0, 0, 10, 10));
    scene.editor->setDirtyView(0, &lane);
    scene.editor->setDirtyView(6, &gate);
    scene.editor->idle();
    scene.windows.dispatchPendingPaint();
    const int32_t paints = scene.frame()->getPaintCount();
    lane.setDirty(false);
    gate.setDirty(false);

    InterfaceRequests& requests = scene.client->interfaceRequests();
    std::thread([&] {
        requests.requestRefresh();
        requests.requestRefresh();
        requests.markDirty(kLane1View);
    }).join();
    EXPECT_FALSE(lane.isDirty()) << "nothing before the idle";
    scene.editor->idle();
    EXPECT_TRUE(lane.isDirty());
    EXPECT_FALSE(gate.isDirty());
    scene.windows.dispatchPendingPaint();
    EXPECT_EQ(scene.frame()->getPaintCount(), paints + 1) << "two requests, one redraw";

    lane.setDirty(false);
    scene.client->getSystemInfo()->patternsChanged = true;
    scene.editor->idle();
    EXPECT_TRUE(lane.isDirty() && gate.isDirty()) << "changed patterns redraw every pattern view";
    EXPECT_FALSE(scene.client->getSystemInfo()->patternsChanged);
}

}  // namespace
}  // namespace editor_test
