// Plays the input as a session on a tree of option menus in a frame of an
// in-process window: entries and sub-menus added, renamed, disabled and
// removed (also while the lists are open and from inside the listener),
// presses, moves, releases and wheel notches through the window, idle ticks
// that hover rows and open sub-menus, pop-ups of a learn menu, companion
// buttons, steps and random picks, and drawing.  Beyond "no crash, no leak"
// it checks that the frame's overlay is always an open list (or nothing) and
// that a closed menu holds no open sub-menu.
#include <cstdint>
#include <string>
#include <vector>

#include "guitoolkit/BWFrame.h"
#include "guitoolkit/COffscreenContext.h"
#include "platform/InProcessWindows.h"
#include "support/ByteInput.h"
#include "support/Check.h"
#include "support/QuietMessages.h"
#include "widgets/BWMenuHelper.h"
#include "widgets/BWOptionMenu.h"

using namespace VSTGUI;

namespace {

class Input : public ByteInput {
public:
    using ByteInput::ByteInput;
    int32_t coordinate(int32_t range) { return static_cast<int32_t>((byte() << 8 | byte()) % range) - 4; }
};

constexpr int32_t kWidth = 240, kHeight = 180;

// The editor's side: it may change the menus while they report.
class Listener : public CControlListener {
public:
    void valueChanged(CControl* control) override {
        ++reports;
        auto* menu = dynamic_cast<BWOptionMenu*>(control);
        if (!menu || !victim) return;
        switch (action % 4) {
            case 1: victim->removeEntry(action / 4 % 8); break;
            case 2: victim->removeAllEntries(); break;
            case 3: victim->addEntry("added", static_cast<int32_t>(action / 4 % 8) - 1); break;
            default: break;
        }
    }
    // The menu it changes, kept alive while it is the one.
    void setVictim(BWOptionMenu* menu) {
        if (menu) menu->remember();
        if (victim) victim->forget();
        victim = menu;
    }
    BWOptionMenu* victim = nullptr;
    uint8_t action = 0;
    int32_t reports = 0;
};

// A companion button of the menu, as the editor wires them.
class Companion : public CControl {
public:
    Companion(int32_t tag, float state) : CControl(CRect(), nullptr, tag) { value = state; }
    void draw(CDrawContext*) override {}
    CView* newCopy() const override { return nullptr; }
};

class CallBack : public BWOptionMenuExtraCallBack {
public:
    void menuOpened() override { ++open; }
    void menuClosed() override { --open; }
    int32_t open = 0;
};

// Every menu of the tree that still exists, the root first.
void collect(BWOptionMenu* menu, std::vector<BWOptionMenu*>& out, int depth = 0) {
    out.push_back(menu);
    if (depth > 4) return;
    for (int32_t i = 0; i < menu->getNumEntries(); ++i)
        if (BWOptionMenuEntryInfo* entry = menu->getEntry(i); entry && entry->subMenu)
            collect(entry->subMenu, out, depth + 1);
}

BWOptionMenu* newMenu(BWFrame* frame, CControlListener* listener, int32_t tag, uint64_t style, uint8_t look) {
    auto* menu = new BWOptionMenu(CRect(20, 20, 70, 35), listener, tag, frame, nullptr, style);
    menu->fontSize = 8 + look % 12;
    menu->rowGap = look >> 6;
    menu->insetTop = look % 5;
    menu->listOffsetY = (look & 0x30) ? -10 : 0;
    menu->styleFlags |= look & 0x80 ? BWControl::kShadowStyle : 0;
    return menu;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quietMessages();
    Input in(data, size);
    platform::InProcessWindows windows;
    platform::WindowSystem* previous = platform::setWindowSystem(&windows);
    const platform::WindowId host = windows.createWindow(0, kWidth, kHeight, nullptr);
    Listener listener;
    CallBack callBack;
    {
        auto* frame = new BWFrame(CRect(0, 0, kWidth, kHeight), reinterpret_cast<void*>(static_cast<uintptr_t>(host)),
                                  nullptr);
        const platform::WindowId window = frame->getWindow();
        const uint64_t style = in.byte() | uint64_t{in.byte()} << 8 | uint64_t{in.byte()} << 24;
        auto* root = newMenu(frame, &listener, 7, style, in.byte());
        frame->addView(root);
        root->extraCallBack = &callBack;
        listener.setVictim(root);
        auto* learn = newMenu(frame, &listener, 9, BWOptionMenu::kStylePlain, in.byte());
        learn->addEntries({"Midi Learn", "Clear"});
        frame->addView(learn);
        root->setExtraPointer(static_cast<BWOptionMenuBase*>(learn));
        COffscreenContext canvas(frame, kWidth, kHeight);
        float bound = 0.0f;

        for (int step = 0; in.more() && step < 300; ++step) {
            std::vector<BWOptionMenu*> menus;
            collect(root, menus);
            const uint8_t op = in.byte();
            BWOptionMenu* some = menus[in.byte() % menus.size()];
            const int32_t x = in.coordinate(kWidth + 8), y = in.coordinate(kHeight + 8);
            const int32_t index = static_cast<int32_t>(in.byte() % 12) - 1;
            switch (op % 20) {
                case 0: some->addEntry(index % 3 ? "entry" : "-Ttitle", index, index == 4); break;
                case 1: {
                    auto* sub = newMenu(frame, some, some->getTag(), in.byte(), in.byte());
                    const uint8_t rows = in.byte();
                    for (int32_t n = rows % 40; n > 0; --n) sub->addEntry("row " + std::to_string(n));
                    if (rows & 0x80) {
                        // Held by its entry alone, as folder sub-menus are.
                        frame->removeWidget(sub);
                        sub->forget();
                    }
                    if (!some->addSubMenu(sub, "sub")) sub->forget();
                    break;
                }
                case 2: some->removeEntry(index); break;
                case 3:
                    if (in.byte() % 4 == 0) some->removeAllEntries();
                    break;
                case 4:
                    windows.press(window, x, y,
                                  in.byte() & 1 ? platform::MouseButtonId::Right : platform::MouseButtonId::Left);
                    break;
                case 5: windows.release(window, x, y); break;
                case 6: windows.move(window, x, y); break;
                case 7: windows.wheel(window, x, y, (static_cast<int8_t>(in.byte()) / 32) * 120); break;
                case 8: windows.advance(in.byte() * 4); frame->idle(); break;
                case 9: frame->idle(); break;
                case 10: some->openList(CPoint(x, y), in.byte() & 1); break;
                case 11: {
                    const CPoint at(x, y);
                    some->popup(2, in.byte() & 1 ? &at : nullptr, index, CRect(), in.byte() & 1);
                    break;
                }
                case 12: some->looseFocus(); break;
                case 13: some->onMouseCancel(0); break;
                case 14: {
                    const uint8_t what = in.byte();
                    if (what < 200) {
                        Companion button(static_cast<int32_t>(10051 + what % 4), static_cast<float>(what / 4 % 2));
                        some->valueChanged(&button);
                    } else if (what < 230) {
                        some->stepFolderSelection(what & 1 ? 1 : -1);
                    } else {
                        some->pickRandomFile(static_cast<int32_t>(what % 5) - 1, what & 1);
                    }
                    break;
                }
                case 15: some->setValue(static_cast<float>(static_cast<int8_t>(in.byte()))); break;
                case 16:
                    if (BWOptionMenuEntryInfo* entry = some->getEntry(index)) {
                        const uint8_t flags = in.byte();
                        entry->enabled = flags & 1;
                        entry->title = flags & 2;
                        entry->keepOpen = flags & 4;
                    }
                    break;
                case 17:
                    listener.setVictim(in.byte() & 1 ? root : some);
                    listener.action = in.byte();
                    break;
                case 18: frame->drawRect(&canvas, CRect(x, y, x + 120, y + 120)); break;
                default:
                    bound = static_cast<float>(in.byte() % 20);
                    some->boundIndex = in.byte() & 1 ? &bound : nullptr;
                    break;
            }

            // The overlay is an open list, or nothing of the menus'.
            if (auto* helper = dynamic_cast<BWMenuHelper*>(frame->getOverlay()))
                check(helper->getMenu() && helper->getMenu()->isListOpen(), "the overlay is an open list");
            menus.clear();
            collect(root, menus);
            for (BWOptionMenu* menu : menus)
                check(menu->isListOpen() || !menu->getOpenSubMenu(), "a closed menu holds no open sub-menu");
        }
        listener.setVictim(nullptr);
        frame->forget();
    }
    check(callBack.open == 0 || callBack.open == 1, "every opening is closed once");
    platform::setWindowSystem(previous);
    return 0;
}
