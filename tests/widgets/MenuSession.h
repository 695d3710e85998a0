#pragma once
// One scripted mouse session on option menus in an editor's frame, for any
// window back-end: a click opens a menu (its release is ignored, the list
// covers the menu), resting on an entry opens its sub-menu beside the list,
// a release in the sub-menu picks, a right click on another menu pops up the
// learn menu for it, and a click picks in the learn menu.  The in-process
// test checks the log and the pixels; the X11 test plays the same steps
// through XTest and must see the same.

#include <functional>
#include <string>
#include <vector>

#include "MenuScene.h"
#include "platform/InProcessWindows.h"
#include "support/WindowPixels.h"

namespace widget_test {

using toolkit_test::colourPixels;

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

// The menus of the session in the editor's frame.
struct MenuSession : MenuFrame {
    MenuSession() {
        frame->setBackgroundColor(CColor{30, 32, 36, 255});
        root = menu(CRect(100, 100, 180, 115), 50, BWOptionMenu::kStyleShowCurrent | BWOptionMenu::kStyleFlatIndex,
                    {"alpha", "beta"});
        auto* sub = new BWOptionMenu(CRect(), root, 50, frame, nullptr, BWOptionMenu::kStylePlain);
        sub->addEntries({"one", "two", "three"});
        sub->listOffsetY = -15;
        root->addSubMenu(sub, "more");
        root->addEntry("gamma");
        root->extraCallBack = &callBack;
        learn = menu(CRect(620, 3, 740, 18), 1000000, BWOptionMenu::kStylePlain, {"Midi Learn", "Clear"});
        learn->setVisible(false);
        target = menu(CRect(280, 290, 360, 305), 60, 0, {}, "Target");
        target->setExtraPointer(static_cast<BWOptionMenuBase*>(learn));
        for (BWOptionMenu* m : {root, sub, learn, target}) look(m);
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

    RecordingCallBack callBack{log};
    BWOptionMenu* root = nullptr;
    BWOptionMenu* learn = nullptr;
    BWOptionMenu* target = nullptr;
};

// Plays the session through the in-process back-end: the snapshots are the
// window's pixels; after the step `check`, the callback looks at the scene.
inline std::vector<std::vector<uint32_t>> playInProcess(platform::InProcessWindows& windows, MenuSession& session,
                                                        size_t check = ~size_t{0},
                                                        const std::function<void()>& look = {}) {
    std::vector<std::vector<uint32_t>> snapshots;
    for (size_t i = 0; i < std::size(kMenuSession); ++i) {
        const SessionStep& s = kMenuSession[i];
        const platform::WindowId w = session.window();
        switch (s.kind) {
            case SessionStep::Move: windows.move(w, s.x, s.y); break;
            case SessionStep::Press: windows.press(w, s.x, s.y); break;
            case SessionStep::Release: windows.release(w, s.x, s.y); break;
            case SessionStep::RightPress: windows.press(w, s.x, s.y, platform::MouseButtonId::Right); break;
            case SessionStep::RightRelease: windows.release(w, s.x, s.y, platform::MouseButtonId::Right); break;
            case SessionStep::Idle: session.frame->idle(); break;
            case SessionStep::Snapshot:
                session.frame->idle();
                session.frame->invalid();
                windows.paint(w);
                snapshots.push_back(colourPixels(windows.surface(w)));
                break;
        }
        if (i == check && look) look();
    }
    return snapshots;
}

}  // namespace widget_test
