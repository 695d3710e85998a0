#pragma once
// Doubles for the window side of the toolkit: an in-process window system
// installed for the length of a test, an effect that answers the host
// requests the editor base makes, and an editor that opens a frame in a host
// window.

#include <set>
#include <string>

#include "core/AudioEffectX.h"
#include "guitoolkit/AEffGUIEditor.h"
#include "guitoolkit/BWFrame.h"
#include "platform/InProcessWindows.h"
#include "support/SettingsSandbox.h"

namespace toolkit_test {

// The current window system while it lives.
class ScopedWindows : public platform::InProcessWindows {
public:
    explicit ScopedWindows(int32_t screenWidth = 1920, int32_t screenHeight = 1080) {
        setScreen({screenWidth, screenHeight, true});
        previous = platform::setWindowSystem(this);
    }
    ~ScopedWindows() override { platform::setWindowSystem(previous); }

private:
    platform::WindowSystem* previous;
};

class HostEffect : public AudioEffectX {
public:
    HostEffect() : AudioEffectX(nullptr, 1, 1) {}
    void processReplacing(float**, float**, int32_t) override {}
    int32_t canHostDo(const char* text) override { return can.count(text) ? 1 : 0; }
    bool sizeWindow(int32_t width, int32_t height) override {
        sizes.push_back(std::to_string(width) + "x" + std::to_string(height));
        return sizeAnswer;
    }
    void masterIdle() override { ++masterIdles; }
    bool openFileSelector(void* request) override {
        opened = request;
        return openAnswer;
    }
    bool closeFileSelector(void* request) override {
        closed = request;
        return true;
    }

    std::set<std::string> can;
    std::vector<std::string> sizes;
    bool sizeAnswer = true;
    bool openAnswer = false;
    void* opened = nullptr;
    void* closed = nullptr;
    int32_t masterIdles = 0;
};

// An editor of the interface's design size whose open builds an empty
// editor's frame in the host window.
class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect, int32_t width = 960, int32_t height = 697) : AEffGUIEditor(effect) {
        setupZoom(width, height);
    }
    ~TestEditor() override { close(); }
    bool open(void* window) override {
        AEffGUIEditor::open(window);
        frame = new VSTGUI::BWFrame(VSTGUI::CRect(0, 0, editorZoom.designWidth, editorZoom.designHeight), window, this);
        return true;
    }
    void close() override {
        if (frame) frame->forget();
        frame = nullptr;
        AEffGUIEditor::close();
    }
    void idle() override {
        ++idles;
        idleTimes.push_back(platform::windowSystem().tickCount());
        AEffGUIEditor::idle();
    }
    VSTGUI::BWFrame* bwFrame() const { return static_cast<VSTGUI::BWFrame*>(frame); }
    int32_t idles = 0;
    std::vector<uint32_t> idleTimes;
};

inline void* handleOf(platform::WindowId window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

}  // namespace toolkit_test
