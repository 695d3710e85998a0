#include "guitoolkit/AEffGUIEditor.h"

#include "core/AudioEffectX.h"
#include "guitoolkit/CFrame.h"
#include "platform/WindowSystem.h"

using VSTGUI::CRect;

namespace {
int32_t knobMode = 0;  // one for the process, as the toolkit reads it without an editor
}  // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect)
    : AEffEditor(effect), nextIdleTime(platform::windowSystem().tickCount()) {
    if (effect) effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor() = default;

AudioEffectX* AEffGUIEditor::effectX() const { return dynamic_cast<AudioEffectX*>(effect); }

bool AEffGUIEditor::getRect(ERect** out) {
    if (!out) return false;
    *out = &rect;
    return true;
}

bool AEffGUIEditor::open(void* window) {
    systemWindow = window;
    return false;
}

void AEffGUIEditor::close() { systemWindow = nullptr; }

void AEffGUIEditor::idle() {
    if (insideIdle) return;
    if (frame) frame->idle();
}

void AEffGUIEditor::draw(ERect* area) {
    if (!frame) return;
    CRect r = frame->getViewSize();
    if (area) {
        r = CRect(area->left, area->top, area->right, area->bottom);
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
    }
    frame->paintWindow(r);
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) { return frame && frame->onKeyDown(keyCode) > 0; }
bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) { return frame && frame->onKeyUp(keyCode) > 0; }

bool AEffGUIEditor::setKnobMode(int32_t mode) {
    knobMode = mode;
    return true;
}

int32_t AEffGUIEditor::getKnobMode() const { return knobMode; }

void AEffGUIEditor::beginEdit(int32_t index) {
    if (AudioEffectX* x = effectX()) x->beginEdit(index);
}

void AEffGUIEditor::endEdit(int32_t index) {
    if (AudioEffectX* x = effectX()) x->endEdit(index);
}

void AEffGUIEditor::setupZoom(int32_t designWidth, int32_t designHeight) {
    editorZoom.setup(designWidth, designHeight);
    rect = {0, 0, static_cast<int16_t>(editorZoom.zoomedHeight), static_cast<int16_t>(editorZoom.zoomedWidth)};
}

void AEffGUIEditor::doIdleStuff() {
    platform::WindowSystem& windows = platform::windowSystem();
    uint32_t now = windows.tickCount();
    if (static_cast<int32_t>(now - nextIdleTime) < 0) {
        windows.sleepMs(4);
        now += 4;
        if (static_cast<int32_t>(now - (nextIdleTime - 50)) < 0) return;
    }
    idle();
    windows.dispatchPendingPaint();
    nextIdleTime = now + 100;
    insideIdle = true;
    if (effect) effect->masterIdle();
    insideIdle = false;
}

void AEffGUIEditor::zoom(float factor, bool force) {
    if (editorZoom.designWidth == 0 || !effect) return;
    if (factor != 1.0f && !force && !editorZoom.fitsScreen(factor)) return;
    const int32_t oldWidth = rect.right - rect.left;
    const int32_t oldHeight = rect.bottom - rect.top;
    editorZoom.apply(factor);
    AudioEffectX* x = effectX();
    if (x && x->canHostDo("sizeWindow")) {
        rect.right = static_cast<int16_t>(editorZoom.zoomedWidth);
        rect.bottom = static_cast<int16_t>(editorZoom.zoomedHeight);
        if (!x->sizeWindow(editorZoom.zoomedWidth, editorZoom.zoomedHeight)) {
            editorZoom.apply(1.0f);
            rect.right = static_cast<int16_t>(editorZoom.zoomedWidth);
            rect.bottom = static_cast<int16_t>(editorZoom.zoomedHeight);
        }
    } else {
        // The host cannot resize: its window takes the new size plus the
        // border it had around the old one.
        platform::WindowSystem& windows = platform::windowSystem();
        platform::WindowRect host;
        if (systemWindow && windows.windowRect(platform::windowIdOf(systemWindow), host))
            windows.setWindowSize(platform::windowIdOf(systemWindow), editorZoom.zoomedWidth + host.width() - oldWidth,
                                  editorZoom.zoomedHeight + host.height() - oldHeight);
        rect.right = static_cast<int16_t>(rect.left + editorZoom.zoomedWidth);
        rect.bottom = static_cast<int16_t>(rect.top + editorZoom.zoomedHeight);
    }
    if (frame) {
        frame->setWindowSize(editorZoom.zoomedWidth, editorZoom.zoomedHeight);
        frame->setDirty(true);
        frame->invalidRect(frame->getViewSize());
    }
}
