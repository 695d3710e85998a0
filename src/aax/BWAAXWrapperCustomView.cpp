#include "aax/BWAAXWrapperCustomView.h"

#include <cassert>

#include "aax/AAX_VViewContainer.h"
#include "aax/HostServices.h"

#include "core/AEffEditor.h"
#include "core/VstTypes.h"
#include "platform/GuiThread.h"
#include "plugin/BWUniClient.h"

IACFUnknown* BWAAXWrapperParameters::BWAAXWrapperCustomView::Create() {
    try {
        return (new BWAAXWrapperCustomView())->GetInnerUnknown();
    } catch (...) {
        return nullptr;
    }
}

BWAAXWrapperParameters::BWAAXWrapperCustomView::~BWAAXWrapperCustomView() {
    // A host that let go of the view with its container still set: the
    // editor's window goes before the window system it lives in.
    if (window) closeEditor();
    if (onGuiThread) platform::leaveGuiThread();
    // An adapter that outlives its view must not call a freed view back; it
    // is alive only while the base still holds its reference.
    if (GetEffectParameters() && adapter && adapter->getView() == this) adapter->setView(nullptr);
}

BWAAXWrapperParameters* BWAAXWrapperParameters::BWAAXWrapperCustomView::linkedAdapter() const {
    // The host hands the effect parameters as its interface; only our own
    // adapter has an editor to show.
    return dynamic_cast<BWAAXWrapperParameters*>(GetEffectParameters());
}

AEffEditor* BWAAXWrapperParameters::BWAAXWrapperCustomView::editorOf(const BWAAXWrapperParameters* parameters) const {
    // The stored link is only followed while the base holds the adapter.
    if (!GetEffectParameters()) return nullptr;
    BWUniClient* core = parameters ? parameters->getCore() : nullptr;
    return core ? core->getEditor() : nullptr;
}

void BWAAXWrapperParameters::BWAAXWrapperCustomView::CreateViewContainer() {
    adapter = linkedAdapter();
    AEffEditor* editor = editorOf(adapter);
    if (!editor) return;
    if (!onGuiThread) onGuiThread = platform::enterGuiThread();
    assert(onGuiThread && "a view opens on a thread other than the GUI thread");
    adapter->setView(this);
    // The host's window is a record for our window layer, not a window of
    // it; without one the editor opens without a window.  A container set
    // over another moves the editor to the new window.
    AAX_VViewContainer* container = GetViewContainer();
    if (window) closeEditor();
    // The open builds every view from the models: it waits for a restore
    // under way; one that keeps the instance for seconds leaves the view
    // empty (the host may open it again).
    const std::unique_lock<StateTurn> turn = adapter->getCore()->guiTurn(true);
    if (!turn.owns_lock()) {
        hostTrace(kTracePriorityError, "Zorvane: a state load or save kept the instance busy: the editor did not open");
        return;
    }
    window = HostWindowLink::open(container ? container->GetType() : 0, GetViewContainerPtr());
    editor->open(window ? window->parentWindow() : nullptr);
}

void BWAAXWrapperParameters::BWAAXWrapperCustomView::DeleteViewContainer() {
    ZORVANE_ASSERT_GUI_THREAD();
    adapter = linkedAdapter();
    closeEditor();
    if (adapter && adapter->getView() == this) adapter->setView(nullptr);
}

// The editor's views go while no restore changes what they show.
void BWAAXWrapperParameters::BWAAXWrapperCustomView::closeEditor() {
    if (AEffEditor* editor = editorOf(adapter)) {
        const std::unique_lock<StateTurn> turn = adapter->getCore()->guiTurn(true);
        editor->close();
    }
    window.reset();
}

AAX_Result BWAAXWrapperParameters::BWAAXWrapperCustomView::GetViewSize(AAX_Point* size) const {
    AEffEditor* editor = editorOf(adapter);
    if (!editor) return AAX_ERROR_NULL_OBJECT;
    if (!size) return AAX_ERROR_NULL_ARGUMENT;
    ERect* rect = nullptr;
    if (!editor->getRect(&rect) || !rect) return AAX_ERROR_NULL_OBJECT;
    size->vert = float(rect->bottom - rect->top);
    size->horz = float(rect->right - rect->left);
    return AAX_SUCCESS;
}

AAX_Result BWAAXWrapperParameters::BWAAXWrapperCustomView::TimerWakeup() {
    ZORVANE_ASSERT_GUI_THREAD();
    AEffEditor* editor = editorOf(adapter);
    if (!editor) return AAX_ERROR_NULL_OBJECT;
    runEditor(*editor);
    adapter->idle();
    return AAX_SUCCESS;
}

void BWAAXWrapperParameters::BWAAXWrapperCustomView::runEditor(AEffEditor& editor) {
    const std::unique_lock<StateTurn> turn = adapter->getCore()->guiTurn();
    if (!turn.owns_lock()) return;
    if (window) window->beforeIdle();
    if (window && window->displayLost()) {
        // The plug-in plays on without its interface; the host learns of
        // it as the window it gave goes away with its server.
        closeEditor();
        hostTrace(kTracePriorityError, "Zorvane: the connection to the X display was lost: the editor closed");
        return;
    }
    editor.idle();
    if (window) window->afterIdle();
}
