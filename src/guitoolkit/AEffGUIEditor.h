#pragma once
// The editor base: joins the plug-in's editor operations (AEffEditor: open,
// close, idle, rectangle, keys) to the view toolkit, whose frame sees the
// editor as a VSTGUIEditorInterface.  Owns the window zoom and paces the
// idle that the frame's doIdleStuff asks for.  The derived editor calls
// setupZoom once from its constructor and builds the frame in its open.
// Host/GUI thread only.

#include <cstdint>

#include "core/AEffEditor.h"
#include "guitoolkit/EditorZoom.h"
#include "guitoolkit/VSTGUIEditorInterface.h"

class AudioEffectX;

namespace VSTGUI {
class CFrame;
}

class AEffGUIEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface {
public:
    // Becomes the effect's editor (the effect deletes it).
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    AudioEffect* getEffect() override { return effect; }
    bool getRect(ERect** rect) override;
    bool open(void* window) override;
    void close() override;
    bool isOpen() override { return systemWindow != nullptr; }
    void idle() override;
    void draw(ERect* rect) override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool setKnobMode(int32_t mode) override;
    // Zooms to a user factor; a factor other than 1.0 is refused without
    // force when the window would not fit the screen.
    virtual void zoom(float factor, bool force);

    void doIdleStuff() override;
    int32_t getKnobMode() const override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    float getZoomFactor() const override { return editorZoom.totalFactor; }

    void setupZoom(int32_t designWidth, int32_t designHeight);
    VSTGUI::EditorZoom& getZoom() { return editorZoom; }
    const VSTGUI::EditorZoom& getZoom() const { return editorZoom; }
    VSTGUI::CFrame* getFrame() const { return frame; }
    void* getSystemWindow() const { return systemWindow; }

protected:
    AudioEffectX* effectX() const;

    void* systemWindow = nullptr;
    void* openWord = nullptr;
    VSTGUI::CFrame* frame = nullptr;
    VSTGUI::EditorZoom editorZoom;
    uint32_t nextIdleTime = 0;
    bool insideIdle = false;
    ERect rect{0, 0, 0, 0};
};
