#pragma once
// One scripted mouse session on option menus in an editor's frame, for any
// window back-end: a click opens a menu (its release is ignored, the list
// covers the menu), resting on an entry opens its sub-menu beside the list,
// a release in the sub-menu picks, a right click on another menu pops up the
// learn menu for it, and a click picks in the learn menu.  The in-process
// test checks the log and the pixels; the X11 test plays the same steps
// through XTest and must see the same.

#include <string>
#include <vector>

#include "MenuScene.h"

namespace widget_test {

struct SessionStep {
    enum Kind { Move, Press, Release, RightPress, RightRelease, Idle, Snapshot } kind;
    int32_t x = 0, y = 0;
};

// Window pixels of the 960 x 697 frame at zoom 1.
inline const SessionStep kMenuSession[] = {
    {SessionStep::Snapshot},
    {SessionStep::Move, 120, 105},     {SessionStep::Press, 120, 105},   {SessionStep::Release, 120, 105},
    {SessionStep::Move, 130, 139},     {SessionStep::Idle},              // rests on "more"
    {SessionStep::Move, 210, 150},     {SessionStep::Idle},              // on "two" in the sub-menu
    {SessionStep::Snapshot},
    {SessionStep::Press, 210, 150},    {SessionStep::Release, 210, 150},  // picks "two"
    {SessionStep::Idle},
    {SessionStep::Move, 300, 300},     {SessionStep::RightPress, 300, 300}, {SessionStep::RightRelease, 300, 300},
    {SessionStep::Move, 310, 306},     {SessionStep::Idle},
    {SessionStep::Snapshot},
    {SessionStep::Press, 310, 306},    {SessionStep::Release, 310, 306},   // "Midi Learn"
    {SessionStep::Idle},               {SessionStep::Snapshot},
};

inline const CallLog kMenuSessionLog = {
    "menuOpened()",
    "valueChanged(50,3)",  // "two": entry 1 of the sub-menu after "alpha" and "beta"
    "menuClosed()",
    "modifierClicked(60,8)",  // the frame offers a right click to the listener first
    "valueChanged(1000000,0)",
};

// The editor, its frame in a host window of the current window system, and
// the menus of the session.
struct MenuSession {
    MenuSession() {
        host = platform::windowSystem().createWindow(0, 960, 697, nullptr);
        editor = new MenuEditor(&effect, log);
        editor->open(toolkit_test::handleOf(host));
        frame = editor->bwFrame();
        frame->setBackgroundColor(CColor{30, 32, 36, 255});
        rowsPicture = new CBitmap(CResourceDescription(1071));
        rowFont.setPicture(rowsPicture);
        rowFont.setGlyphHeight(11);
        rowFont.setWidths(kPictureFontWidthsA, kPictureFontTableSize);

        root = add(new BWOptionMenu(CRect(100, 100, 180, 115), &listener, 50, frame, nullptr,
                                    BWOptionMenu::kStyleShowCurrent | BWOptionMenu::kStyleFlatIndex));
        root->addEntries({"alpha", "beta"});
        auto* sub = new BWOptionMenu(CRect(), root, 50, frame, nullptr, BWOptionMenu::kStylePlain);
        sub->addEntries({"one", "two", "three"});
        sub->listOffsetY = -15;
        root->addSubMenu(sub, "more");
        root->addEntry("gamma");
        root->extraCallBack = &callBack;
        for (BWOptionMenu* m : {root, sub}) look(m);

        learn = add(new BWOptionMenu(CRect(620, 3, 740, 18), &listener, 1000000, frame, nullptr,
                                     BWOptionMenu::kStylePlain));
        learn->addEntries({"Midi Learn", "Clear"});
        look(learn);
        learn->setVisible(false);
        target = add(new BWOptionMenu(CRect(280, 290, 360, 305), &listener, 60, frame, "Target", 0));
        look(target);
        target->setExtraPointer(static_cast<BWOptionMenuBase*>(learn));
    }
    ~MenuSession() {
        editor->close();
        rowsPicture->forget();
    }
    MenuSession(const MenuSession&) = delete;
    MenuSession& operator=(const MenuSession&) = delete;

    BWOptionMenu* add(BWOptionMenu* menu) {
        frame->addView(menu);
        return menu;
    }
    void look(BWOptionMenu* m) {
        m->fontSize = 15;
        m->pictureFont = &rowFont;
        m->hoverFont = &rowFont;
        m->textFont = &rowFont;
        m->listFrame = true;
        m->listFillColour = CColor{54, 54, 51, 255};
        m->hoverFillColour = CColor{58, 61, 66, 255};
        m->listFrameColour = CColor{192, 192, 192, 255};
    }
    platform::WindowId window() const { return frame->getWindow(); }

    CallLog log;
    toolkit_test::RecordingListener listener{log};
    RecordingCallBack callBack{log};
    toolkit_test::HostEffect effect;
    platform::WindowId host = 0;
    MenuEditor* editor = nullptr;
    BWFrame* frame = nullptr;
    CBitmap* rowsPicture = nullptr;
    BWPictureFont rowFont;
    BWOptionMenu* root = nullptr;
    BWOptionMenu* learn = nullptr;
    BWOptionMenu* target = nullptr;
};

// The colour bits of a window surface.
inline std::vector<uint32_t> colourPixels(const platform::WindowSurface& s) {
    std::vector<uint32_t> pixels(s.pixels, s.pixels + static_cast<size_t>(s.width) * s.height);
    for (uint32_t& p : pixels) p &= 0xffffff;
    return pixels;
}

}  // namespace widget_test
