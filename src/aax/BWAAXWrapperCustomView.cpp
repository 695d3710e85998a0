#include "aax/BWAAXWrapperCustomView.h"

#include "aax/AAX_VViewContainer.h"

#include "core/AEffEditor.h"
#include "core/VstTypes.h"
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
    if (window) {
        if (AEffEditor* editor = editorOf(adapter)) editor->close();
        window.reset();
    }
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
    adapter->setView(this);
    // The host's window is a record for our window layer, not a window of
    // it; without one the editor opens without a window.  A container set
    // over another moves the editor to the new window.
    AAX_VViewContainer* container = GetViewContainer();
    if (window) {
        editor->close();
        window.reset();
    }
    window = HostWindowLink::open(container ? container->GetType() : 0, GetViewContainerPtr());
    editor->open(window ? window->parentWindow() : nullptr);
}

void BWAAXWrapperParameters::BWAAXWrapperCustomView::DeleteViewContainer() {
    adapter = linkedAdapter();
    if (AEffEditor* editor = editorOf(adapter)) editor->close();
    window.reset();
    if (adapter && adapter->getView() == this) adapter->setView(nullptr);
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
    AEffEditor* editor = editorOf(adapter);
    if (!editor) return AAX_ERROR_NULL_OBJECT;
    if (window) window->beforeIdle();
    editor->idle();
    if (window) window->afterIdle();
    adapter->idle();
    return AAX_SUCCESS;
}
