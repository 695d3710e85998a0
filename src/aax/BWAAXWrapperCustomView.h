#pragma once
// The host's GUI object for an instance.  It draws nothing itself: it opens
// the core's own editor (when the core has one) as a child of the host's
// window, closes it, reports its size, gives it idle time on the host's view
// timer, and lets the adapter's idle bring the host parameters up to date
// there (after a display update: their names and defaults).  The host's
// window reaches the editor through the module's own window layer
// (HostWindowLink), which the view timer also drives around the editor's
// idle.  Host GUI thread only (asserted).
//
// The editor draws and edits the core's pattern models in place, so each
// timer call, the open and the close run inside the instance's turn
// (core/StateTurn.h), which restores and saves on other host threads take
// too; a box or a file selector that the call shows lends the turn while
// it is up, and the MIDI export parks it.  A timer call that cannot have
// the turn at once (a restore is under way) does nothing: the window's
// input stays queued and its drawing waits for the next call.  A call that finds the X server gone closes the editor;
// the instance goes on playing.

#include <memory>

#include "aax/AAX_CEffectGUI.h"
#include "aax/BWAAXWrapperParameters.h"
#include "aax/HostWindowLink.h"

class AEffEditor;

class BWAAXWrapperParameters::BWAAXWrapperCustomView : public AAX_CEffectGUI {
public:
    // Creation procedure 1: a view whose adapter link stays null until the
    // host hands it a view container.
    static IACFUnknown* Create();

    BWAAXWrapperCustomView() = default;
    ~BWAAXWrapperCustomView() override;

    AAX_Result GetViewSize(AAX_Point* size) const override;
    AAX_Result TimerWakeup() override;
    void CreateViewContents() override {}
    void CreateViewContainer() override;
    void DeleteViewContainer() override;

    BWAAXWrapperParameters* getAdapter() const { return adapter; }

private:
    BWAAXWrapperParameters* linkedAdapter() const;
    AEffEditor* editorOf(const BWAAXWrapperParameters* parameters) const;

    // Runs the editor's part of a timer call, when the turn can be had.
    void runEditor(AEffEditor& editor);
    void closeEditor();

    BWAAXWrapperParameters* adapter = nullptr;
    bool onGuiThread = false;  // this view named the GUI thread (platform/GuiThread.h)
    std::unique_ptr<HostWindowLink> window;  // while the editor is open in a host window
};
