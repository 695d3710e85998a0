#include "editor/BWUniClientEditor.h"

#include <algorithm>

#include "core/StateTurn.h"
#include "editor/DisplayPass.h"
#include "editor/SharedImages.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/PictureFontWidths.h"
#include "platform/WindowSystem.h"
#include "plugin/BWUniClient.h"

using VSTGUI::BWFrame;
using VSTGUI::BWPictureFont;
using VSTGUI::CRect;

namespace {

constexpr int32_t kArialSizes[3] = {12, 13, 17};
constexpr int32_t kTextSize = 10;
constexpr int32_t kHintShowDelay = 2;
constexpr int32_t kHintHideDelay = 5;
constexpr int32_t kBackgroundId = Image::Background;
constexpr int32_t kHostWithPendingResize = 2;

enum class FontWidths { A, APercent, B };

// The eleven picture fonts, by table entry.
constexpr FontWidths kFontWidths[BWUniClientEditor::kFilledPictureFonts] = {
    FontWidths::A, FontWidths::APercent, FontWidths::A, FontWidths::A,        FontWidths::APercent, FontWidths::A,
    FontWidths::A, FontWidths::APercent, FontWidths::A, FontWidths::B, FontWidths::A};

}  // namespace

BWUniClientEditor::BWUniClientEditor(BWUniClient* owner, bool wanted)
    : BWEditorBase(owner),
      client(owner),
      timerWanted(wanted),
      timer(nullptr, 100),
      lastIdleTime(platform::windowSystem().tickCount()) {
    timer.setReceiver(this, kTimerPeriodMs);
    setupZoom(kWidth, kHeight);
    editorZoom.resizePending = client && client->getHostCode() == kHostWithPendingResize;
    editorZoom.resizable = false;
    for (size_t i = 0; i < fonts.size(); ++i) fonts[i] = new VSTGUI::CFontDesc("Arial", kArialSizes[i], 0);
    makePictureFonts();
    if (client) {
        PageSet& pages = client->interfaceRequests().pages;
        for (int32_t word = 0; word < 4; ++word) pages.setWord(word, word == 0 ? 1u : 0u);
        learnChangesSeen = client->learnMap().changeCount.load();
    }
    if (timerWanted) timer.start();
}

BWUniClientEditor::~BWUniClientEditor() {
    if (isOpenFlag) close();
    for (VSTGUI::CFontDesc* font : fonts) font->forget();
    for (BWPictureFont* font : pictureFonts) delete font;
    timer.stop();
}

void BWUniClientEditor::makePictureFonts() {
    for (int32_t i = 0; i < kFilledPictureFonts; ++i) {
        auto* font = new BWPictureFont();
        const FontWidths widths = kFontWidths[i];
        uint8_t table[VSTGUI::kPictureFontTableSize];
        std::copy_n(widths == FontWidths::B ? VSTGUI::kPictureFontWidthsB : VSTGUI::kPictureFontWidthsA,
                    VSTGUI::kPictureFontTableSize, table);
        if (widths == FontWidths::APercent) table['%' - ' '] = VSTGUI::kPictureFontPercentWidth;
        font->setWidths(table, VSTGUI::kPictureFontTableSize);
        font->setGlyphHeight(widths == FontWidths::B ? 15 : 11);
        pictureFonts[static_cast<size_t>(i)] = font;
    }
}

VSTGUI::BWFrame* BWUniClientEditor::getBWFrame() const { return static_cast<BWFrame*>(frame); }

// ---- open and close ---------------------------------------------------------

bool BWUniClientEditor::open(void* parentWindow) {
    if (isOpenFlag) return true;
    SharedImages::acquire();
    isOpenFlag = true;
    AEffGUIEditor::open(parentWindow);
    auto* made = new BWFrame(CRect(0, 0, editorZoom.designWidth, editorZoom.designHeight), parentWindow, this);
    made->imageTable = SharedImages::table();
    made->defaultFont = fonts[0];
    made->defaultTextSize = kTextSize;
    made->hintShowDelay = kHintShowDelay;
    made->hintHideDelay = kHintHideDelay;
    made->useOffscreen(true);
    if (client) {
        made->setSystemInfo(client->getSystemInfo());
        made->overlaySuppress = &client->displayBlock().overlaySuppress;
    }
    frame = made;
    VSTGUI::CBitmap* background = SharedImages::get(kBackgroundId);
    if (background && background->getWidth() > 0 && background->getHeight() > 0) {
        frame->setBackground(background);
    } else {
        frame->setTransparency(true);
    }
    // The run switch restarts the sequence before an export.
    exportRestartTag = kExportRestartTag;
    if (client) buildInterface();
    return true;
}

void BWUniClientEditor::close() {
    // The plug-in object closes its editor on the way out whether or not it
    // is open: only an open editor holds images and a frame.
    if (!isOpenFlag) return;
    isOpenFlag = false;
    if (BWFrame* open = getBWFrame()) {
        if (VSTGUI::CView* overlay = open->getOverlay()) overlay->looseFocus();
        open->setOverlay(nullptr);
        open->forget();
        frame = nullptr;
    }
    forgetWidgets();
    built.clear();
    values.clear();
    SharedImages::release();
    AEffGUIEditor::close();
}

// ---- pages, images, redraws ---------------------------------------------------

void BWUniClientEditor::setPageVisible(int32_t page, bool visible) {
    if (!client || page < 0 || page >= PageSet::kPages) return;
    PageSet& pages = client->interfaceRequests().pages;
    if (pages.isShown(page) == visible) return;
    pages.setPageBit(page, visible);
    client->reportPageVisibility(page, visible);
}

void BWUniClientEditor::hidePage(int32_t page) {
    if (isPageVisible(page)) setPageVisible(page, false);
}

bool BWUniClientEditor::isPageVisible(int32_t page) const {
    return client && client->interfaceRequests().pages.isShown(page);
}

VSTGUI::CBitmap* BWUniClientEditor::getBitmap(int32_t id) const { return SharedImages::get(id); }

void BWUniClientEditor::requestRefresh() {
    if (isOpenFlag && getBWFrame()) getBWFrame()->requestRedraw();
}

BWSystemInfo* BWUniClientEditor::getSystemInfo() const { return client ? client->getSystemInfo() : nullptr; }

void BWUniClientEditor::setDirtyView(int32_t bit, VSTGUI::CView* view) {
    if (bit >= 0 && bit < kDirtyViewCount) dirtyViews[static_cast<size_t>(bit)] = view;
}

// ---- idle -------------------------------------------------------------------

bool BWUniClientEditor::onTimer(BWGuiTimer*) {
    idle();
    return true;
}

void BWUniClientEditor::idle() {
    ZORVANE_ASSERT_EDITOR_TURN();
    BWFrame* open = getBWFrame();
    if (!open || !client) return AEffGUIEditor::idle();
    if (pendingCursorResets > 0) {
        open->setCursor(0);
        --pendingCursorResets;
    }
    if (client->displayBlock().runState.load(std::memory_order_relaxed) != DisplayBlock::kRunning) return;
    displayPass();
    serveRequests();
    values.update(*client);
    AEffGUIEditor::idle();
}

void BWUniClientEditor::displayPass() {
    const uint32_t now = platform::windowSystem().tickCount();
    // Unsigned: a clock that went back reads as a long pause, clamped.
    const uint32_t elapsed = now - lastIdleTime;
    lastIdleTime = now;
    runDisplayPass(client->displayBlock(), static_cast<float>(std::min<uint32_t>(elapsed, 1000)));
}

// What the plug-in object recorded for the interface since the last pass.
void BWUniClientEditor::serveRequests() {
    BWFrame* open = getBWFrame();
    InterfaceRequests& requests = client->interfaceRequests();
    if (requests.takeRefreshRequests() > 0) open->requestRedraw();
    const uint32_t marked = requests.takeDirtyViews();
    const bool patternsChanged = client->getSystemInfo()->patternsChanged.exchange(false);
    for (int32_t bit = 0; bit < kDirtyViewCount; ++bit) {
        VSTGUI::CView* view = dirtyViews[static_cast<size_t>(bit)];
        if (view && (patternsChanged || (marked >> bit) & 1u)) view->setDirty(true);
    }
    const int32_t learnChanges = client->learnMap().changeCount.load();
    if (learnChanges != learnChangesSeen) {
        learnChangesSeen = learnChanges;
        rebuildLearnMenus();
    }
}
