#pragma once
// An editor that logs every call it receives and answers `answer` (widened
// to the operation's result type); `opened` is what isOpen reports.

#include "core/AEffEditor.h"
#include "support/CallLog.h"

class RecordingEditor : public AEffEditor {
public:
    explicit RecordingEditor(CallLog& log) : log(log) {}
    ~RecordingEditor() override { log.push_back("~editor"); }

    bool getRect(ERect** rect) override { return note(describeCall("getRect", rect)) != 0; }
    bool open(void* window) override { return note(describeCall("open", window)) != 0; }
    void close() override { note("close()"); }
    bool isOpen() override {
        note("isOpen()");
        return opened;
    }
    void idle() override { note("idle()"); }
    void draw(ERect* rect) override { note(describeCall("draw", rect)); }
    int32_t mouse(int32_t x, intptr_t y) override { return static_cast<int32_t>(note(describeCall("mouse", x, y))); }
    int32_t key(intptr_t keyCode) override { return static_cast<int32_t>(note(describeCall("key", keyCode))); }
    bool onKeyDown(VstKeyCode& key) override { return note(describeKey("onKeyDown", key)) != 0; }
    bool onKeyUp(VstKeyCode& key) override { return note(describeKey("onKeyUp", key)) != 0; }
    bool setKnobMode(int32_t mode) override { return note(describeCall("setKnobMode", mode)) != 0; }

    intptr_t answer = -5;
    bool opened = false;

private:
    intptr_t note(const std::string& call) {
        log.push_back(call);
        return answer;
    }
    static std::string describeKey(const char* name, const VstKeyCode& key) {
        return describeCall(name, key.character, int32_t{key.virt}, int32_t{key.modifier});
    }

    CallLog& log;
};
