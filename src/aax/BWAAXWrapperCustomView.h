#pragma once
// The host's GUI object for an instance.  It draws nothing itself: it opens
// the core's own editor (when the core has one) as a child of the host's
// window, closes it, reports its size, gives it idle time on the host's view
// timer, and rebuilds the parameter list there after the core asked the host
// to update its display.  The host's window reaches the editor through the
// module's own window layer (HostWindowLink), which the view timer also
// drives around the editor's idle.  Host GUI thread only.

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

    BWAAXWrapperParameters* adapter = nullptr;
    std::unique_ptr<HostWindowLink> window;  // while the editor is open in a host window
};
