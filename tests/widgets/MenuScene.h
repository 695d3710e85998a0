#pragma once
// Option menus in the editor's 960 x 697 frame: a test editor that answers
// what menus ask of the editor (and logs it), the listener log, the window
// to script the mouse through, and menus built with the look the editor
// gives its channel menus (picture font 0 of the interface images).

#include <memory>
#include <string>
#include <vector>

#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/PictureFontWidths.h"
#include "support/CallLog.h"
#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"
#include "widgets/BWMenuHelper.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWWidgetEditor.h"

namespace widget_test {

using namespace VSTGUI;

// The test editor with the widgets' editor interface: it logs the calls and
// answers the library position it is given.
class MenuEditor : public toolkit_test::TestEditor, public BWWidgetEditor {
public:
    MenuEditor(AudioEffect* effect, CallLog& log) : TestEditor(effect), log(log) {}
    void reloadPresetLibrary() override { log.push_back("editor.reloadPresetLibrary()"); }
    bool lookupLibraryEntry(int32_t* bank, int32_t* index) override {
        log.push_back("editor.lookupLibraryEntry()");
        *bank = libraryBank;
        *index = libraryIndex;
        return libraryBank >= 0;
    }
    CallLog& log;
    int32_t libraryBank = -1;
    int32_t libraryIndex = -1;
};

// Logs the menu's open and close calls.
class RecordingCallBack : public BWOptionMenuExtraCallBack {
public:
    explicit RecordingCallBack(CallLog& log) : log(log) {}
    void menuOpened() override { log.push_back("menuOpened()"); }
    void menuClosed() override { log.push_back("menuClosed()"); }
    CallLog& log;
};

// The editor's frame in a host window of the current window system, the
// listener log, and picture font 0 of the interface (rows of every list).
struct MenuFrame {
    MenuFrame() {
        host = platform::windowSystem().createWindow(0, 960, 697, nullptr);
        editor = new MenuEditor(&effect, log);  // the effect deletes it
        editor->open(toolkit_test::handleOf(host));
        frame = editor->bwFrame();
        rowsPicture = new CBitmap(CResourceDescription(1071));
        rowFont.setPicture(rowsPicture);
        rowFont.setGlyphHeight(11);
        rowFont.setWidths(kPictureFontWidthsA, kPictureFontTableSize);
    }
    ~MenuFrame() {
        editor->close();
        rowsPicture->forget();
    }
    MenuFrame(const MenuFrame&) = delete;
    MenuFrame& operator=(const MenuFrame&) = delete;

    platform::WindowId window() const { return frame->getWindow(); }
    CallLog takeLog() {
        CallLog taken;
        taken.swap(log);
        return taken;
    }
    // A menu in the frame, owned by the frame.
    BWOptionMenu* menu(const CRect& rect, int32_t tag, uint64_t style, std::vector<std::string> texts = {},
                       const char* title = nullptr, CControlListener* to = nullptr) {
        auto* m = new BWOptionMenu(rect, to ? to : &listener, tag, frame, title, style);
        frame->addView(m);
        m->addEntries(std::move(texts));
        return m;
    }

    CallLog log;
    toolkit_test::RecordingListener listener{log};
    toolkit_test::HostEffect effect;
    platform::WindowId host = 0;
    MenuEditor* editor = nullptr;
    BWFrame* frame = nullptr;
    CBitmap* rowsPicture = nullptr;
    BWPictureFont rowFont;
};

// Settings of the test's own and the in-process windows, installed before
// the frame is made and removed after it is gone.
struct InProcessSetup {
    SettingsSandbox settings;
    toolkit_test::ScopedWindows windows;
};

struct MenuScene : InProcessSetup, MenuFrame {
    void idle(uint32_t ms = 0) {
        windows.advance(ms);
        frame->idle();
    }
    // The in-panel look of the editor's menus.
    void giveChannelLook(BWOptionMenu* m) {
        m->fontSize = 15;
        m->insetTop = m->insetBottom = m->insetLeft = m->insetRight = 4;
        m->pictureFont = &rowFont;
        m->listFrame = true;
        m->textColour = CColor{0, 0, 0, 255};
        m->listFillColour = m->hoverFillColour = CColor{54, 54, 51, 255};
        m->hoverTextColour = CColor{0, 0, 0, 255};
        m->listFrameColour = CColor{192, 192, 192, 255};
    }
    // Makes the next closed-wheel event count, whatever an earlier one left.
    void clearWheelStamps() {
        for (uint64_t style : {uint64_t{0}, BWOptionMenu::kStyleShowFileName | BWOptionMenu::kStyleFolderTree}) {
            BWOptionMenu spare(CRect(), nullptr, 0, nullptr, nullptr, style);
            spare.addEntries({"a", "b"});
            spare.onWheel(CPoint(), 1.0f, 0);
        }
        windows.advance(400);
    }
};

}  // namespace widget_test
