#pragma once
// Test doubles of the view toolkit: a frame that records window repaints, an
// editor with a zoom factor, and a view, control and listener that log the
// calls they receive (CallLog) and answer what the test sets.

#include <cstdio>
#include <string>
#include <vector>

#include "guitoolkit/CControl.h"
#include "guitoolkit/CFrame.h"
#include "guitoolkit/VSTGUIEditorInterface.h"
#include "support/CallLog.h"

namespace toolkit_test {

using namespace VSTGUI;

inline std::string describe(const CRect& r) {
    char text[64];
    std::snprintf(text, sizeof(text), "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
    return text;
}

class FakeEditor : public VSTGUIEditorInterface {
public:
    explicit FakeEditor(CallLog& log, float zoom = 1.0f) : log(log), zoom(zoom) {}
    void beginEdit(int32_t index) override { log.push_back(describeCall("editor.beginEdit", index)); }
    void endEdit(int32_t index) override { log.push_back(describeCall("editor.endEdit", index)); }
    float getZoomFactor() const override { return zoom; }
    void setKeyInputBlocked(bool blocked) override { log.push_back(describeCall("editor.keyInputBlocked", blocked)); }

    CallLog& log;
    float zoom;
};

class FakeFrame : public CFrame {
public:
    explicit FakeFrame(const CRect& size, VSTGUIEditorInterface* editor = nullptr) : CFrame(size, nullptr, editor) {}
    std::vector<CRect> repaints;

protected:
    void invalidateWindow(const CRect& rect) override { repaints.push_back(rect); }
};

// A view that logs its events as "name.event(args)" and answers `answer`.
class ProbeView : public CView {
public:
    ProbeView(CallLog& log, std::string name, const CRect& size) : CView(size), log(log), name(std::move(name)) {}

    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override {
        return note("down", where, buttons, index);
    }
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override {
        return note("up", where, buttons, index);
    }
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override {
        return note("moved", where, buttons, index);
    }
    using CView::onWheel;
    bool onWheel(const CPoint& where, float distance, const CButtonState&) override {
        log.push_back(describeCall((name + ".wheel").c_str(), where.x, where.y, distance));
        return true;
    }
    bool acceptsSecondPress() const override { return secondPress; }

    CallLog& log;
    std::string name;
    int32_t answer = kMouseEventHandled;
    bool secondPress = false;

private:
    int32_t note(const char* event, const CPoint& where, CButtonState buttons, int32_t index) {
        log.push_back(describeCall((name + "." + event).c_str(), where.x, where.y, buttons, index));
        return answer;
    }
};

class ProbeControl : public CControl {
public:
    ProbeControl(const CRect& size, CControlListener* listener, int32_t tag) : CControl(size, listener, tag) {}
    void draw(CDrawContext*) override {}
    CView* newCopy() const override { return new ProbeControl(*this); }
    int32_t onMouseDown(CPoint&, const CButtonState&, int32_t) override {
        ++presses;
        return kMouseEventHandled;
    }
    int presses = 0;
};

class RecordingListener : public CControlListener {
public:
    explicit RecordingListener(CallLog& log) : log(log) {}
    void valueChanged(CControl* control) override {
        log.push_back(describeCall("valueChanged", control->getTag(), control->getValue()));
    }
    int32_t controlModifierClicked(CControl* control, CButtonState buttons) override {
        log.push_back(describeCall("modifierClicked", control->getTag(), buttons));
        return consumeModifierClicks;
    }
    void controlBeginEdit(CControl* control) override { log.push_back(describeCall("beginEdit", control->getTag())); }
    void controlEndEdit(CControl* control) override { log.push_back(describeCall("endEdit", control->getTag())); }

    CallLog& log;
    int32_t consumeModifierClicks = 0;
};

}  // namespace toolkit_test
