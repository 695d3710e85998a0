#include "aax/AAX_CEffectGUI.h"

#include "aax/AAX_CString.h"
#include "aax/AAX_IACFEffectParameters.h"
#include "aax/AAX_VController.h"
#include "aax/AAX_VTransport.h"
#include "aax/AAX_VViewContainer.h"

AAX_CEffectGUI::AAX_CEffectGUI() = default;

// A container still set here can no longer reach the subclass's close hook;
// the host clears it before the last release.
AAX_CEffectGUI::~AAX_CEffectGUI() {
    releaseEffectParameters();
    viewContainer.reset();
    transport.reset();
    controller.reset();
}

ACFRESULT AAX_CEffectGUI::InternalQueryInterface(const acfIID& iid, void** out) {
    if (!out) return ACF_E_POINTER;
    if (iid == IID_IACFEffectGUI) {
        *out = static_cast<AAX_IACFEffectGUI*>(this);
        AddRef();
        return ACF_OK;
    }
    return CACFUnknown::InternalQueryInterface(iid, out);
}

void AAX_CEffectGUI::releaseEffectParameters() {
    if (effectParameters) effectParameters->Release();
    effectParameters = nullptr;
}

AAX_Result AAX_CEffectGUI::Initialize(IACFUnknown* host) {
    try {
        controller = std::make_unique<AAX_VController>(host);
        if (!host) return AAX_ERROR_NOT_INITIALIZED;
        releaseEffectParameters();
        effectParameters = acfQuery<AAX_IACFEffectParameters>(host, IID_IACFEffectParameters);
        transport = std::make_unique<AAX_VTransport>(host);
        CreateViewContents();
        return AAX_SUCCESS;
    } catch (...) {
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
}

AAX_Result AAX_CEffectGUI::Uninitialize() {
    if (viewContainer) SetViewContainer(nullptr);
    releaseEffectParameters();
    controller.reset();
    transport.reset();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::SetViewContainer(IACFUnknown* container) {
    try {
        if (container) {
            viewContainer = std::make_unique<AAX_VViewContainer>(container);
            CreateViewContainer();
            UpdateAllParameters();
        } else {
            DeleteViewContainer();
            viewContainer.reset();
        }
        return AAX_SUCCESS;
    } catch (...) {
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
}

void AAX_CEffectGUI::UpdateAllParameters() {
    if (!effectParameters) return;
    int32_t count = 0;
    if (effectParameters->GetNumberOfParameters(&count) != AAX_SUCCESS || count < 0) return;
    for (int32_t index = 0; index < count; ++index) {
        AAX_CString identifier;
        if (effectParameters->GetParameterIDFromIndex(index, &identifier) == AAX_SUCCESS) ParameterUpdated(identifier.Get());
    }
}

void* AAX_CEffectGUI::GetViewContainerPtr() const { return viewContainer ? viewContainer->GetPtr() : nullptr; }
