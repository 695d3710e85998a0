// The editor object: its rectangle and fonts, the shared images, the page
// set with the host's page report, the idle's display pass and the requests
// the plug-in object records for it (also from another thread).

#include <gtest/gtest.h>

#include <thread>

#include "EditorScene.h"
#include "core/SharedFloat.h"
#include "editor/SharedImages.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CFontDesc.h"
#include "widgets/BWViewContainer.h"

namespace editor_test {
namespace {

TEST(EditorObject, IsTheInstancesEditorOfTheDesignSizeWithItsFonts) {
    EditorScene scene;
    ASSERT_NE(scene.editor, nullptr);
    ERect* rect = nullptr;
    ASSERT_TRUE(scene.editor->getRect(&rect));
    EXPECT_EQ(rect->right - rect->left, 960);
    EXPECT_EQ(rect->bottom - rect->top, 697);
    EXPECT_FALSE(scene.editor->getTimer().isRunning()) << "the host's idle drives it";
    EXPECT_EQ(scene.editor->getFont(2)->getSize(), 17);
    VSTGUI::BWPictureFont* const* fonts = scene.editor->getPictureFontTable();
    // Fonts 1, 4 and 7 draw '%' 8 wide; font 9 is the tall one of table B.
    for (int32_t i = 0; i < BWUniClientEditor::kPictureFonts; ++i) {
        if (i >= BWUniClientEditor::kFilledPictureFonts) {
            EXPECT_EQ(fonts[i], nullptr);
            continue;
        }
        const bool percent8 = i == 1 || i == 4 || i == 7;
        EXPECT_EQ(fonts[i]->glyphWidth('%'), i == 9 ? 10 : percent8 ? 8 : 7) << i;
        EXPECT_EQ(fonts[i]->getGlyphHeight(), i == 9 ? 15 : 11) << i;
        EXPECT_EQ(fonts[i]->glyphWidth('W'), i == 9 ? 13 : 10) << i;
    }
}

TEST(EditorObject, PagesReportToTheHostOnlyWhenTheyChange) {
    EditorScene scene;
    scene.editor->setPageVisible(5, true);
    scene.editor->setPageVisible(5, true);
    scene.editor->hidePage(6);           // hidden already
    scene.editor->setPageVisible(128, true);  // no such page
    const auto reports = scene.requests(HostOpcode::PageVisibility);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].index, 5);
    EXPECT_EQ(reports[0].value, 1);
    // The core's hook answers from the same set.
    AEffect* effect = scene.client->getAeffect();
    EXPECT_TRUE(effect->isPageVisible(effect, 5));
    scene.editor->hidePage(5);
    EXPECT_FALSE(effect->isPageVisible(effect, 5));
    EXPECT_EQ(scene.requests(HostOpcode::PageVisibility).back().value, 0);
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
    EXPECT_NE(first.editor->getBitmap(1121), nullptr);
    EXPECT_EQ(first.frame()->getBackground(), background);
    EXPECT_EQ((*first.frame()->imageTable)[64], first.editor->getBitmap(1064));
    {
        EditorScene second;
        ASSERT_TRUE(second.open());
        EXPECT_EQ(second.editor->getBitmap(1000), background) << "not loaded again";
        EXPECT_EQ(SharedImages::openCount(), 2u);
        first.editor->close();
        EXPECT_EQ(second.editor->getBitmap(1000), background);
        first.editor->close();  // closing a closed editor releases nothing more
        EXPECT_EQ(SharedImages::openCount(), 1u);
    }
    EXPECT_EQ(SharedImages::openCount(), 0u);
    EXPECT_EQ(first.editor->getBitmap(1000), nullptr);
    EXPECT_FALSE(first.editor->isOpen());
    EXPECT_EQ(first.frame(), nullptr);
}

TEST(EditorObject, IdleFillsTheDisplayBlock) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    DisplayBlock& block = scene.client->displayBlock();
    block.positions[0] = 24.0f;
    block.positions[1] = 30.0f;
    block.activity[0] = 1.0f;  // the second marker is inactive
    block.positions2[0] = 12.0f;
    block.activity2[0] = 1.0f;
    block.counter1 = 2.0f;
    block.source = 0.5f;
    scene.windows.advance(1500);
    scene.editor->idle();
    EXPECT_EQ(block.elapsedMs, 1000.0f) << "a long pause counts as one second";
    EXPECT_EQ(block.ratio[0], 0.5f);
    EXPECT_EQ(block.pixels[0], 336.5f);
    EXPECT_EQ(block.pixelsLess1[0], 335.5f);
    EXPECT_EQ(block.active[1], 0.0f);
    EXPECT_EQ(block.pixels[1], 0.0f);
    EXPECT_EQ(block.pixelsLess1[1], -1.0f);
    EXPECT_EQ(block.counter1Pixels, 42.0f);
    EXPECT_EQ(block.counter1Fraction, 0.0625f);
    EXPECT_EQ(block.sourceScaled, 4.0f);
    EXPECT_EQ(block.marker, 5.0f);
    EXPECT_EQ(block.pixels2[0], 168.25f);
    EXPECT_EQ(block.height2[0], 29.0f);

    // A shift moves every marker; a disabled shift does not.
    block.shift = 6.0f;
    scene.windows.advance(40);
    scene.editor->idle();
    EXPECT_EQ(block.elapsedMs, 40.0f);
    EXPECT_EQ(block.appliedShift, 6.0f);
    EXPECT_EQ(block.ratio[0], 0.375f);
    block.shiftDisable = 1.0f;
    block.markerDisable = 1.0f;
    scene.editor->idle();
    EXPECT_EQ(block.ratio[0], 0.5f);
    EXPECT_EQ(block.marker, 0.0f);

    // Outside the running state only the cursor is set back.
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
    std::thread audio([&] {
        requests.requestRefresh();
        requests.requestRefresh();
        requests.markDirty(kLane1View);
    });
    audio.join();
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
    scene.editor->close();
    scene.editor->idle();  // closed: the views it was given are forgotten
}

TEST(EditorObject, TheHookMenuMakesTheAboutCapability) {
    EditorScene scene;
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
    EXPECT_TRUE(container->isVisible());
    scene.editor->close();
    EXPECT_EQ(scene.client->canDo("hasAboutScreen"), 0);
}

}  // namespace
}  // namespace editor_test
