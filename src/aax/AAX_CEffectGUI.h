#pragma once
// The plug-in's view object: connects to the host's controller, transport and
// the instance's effect parameters, holds the host's view container and
// leaves the view itself to a subclass (CreateViewContents and the two
// container hooks).  Host GUI thread only.

#include <memory>

#include "aax/AAX_IACFEffectGUI.h"

class AAX_IACFEffectParameters;
class AAX_VController;
class AAX_VTransport;
class AAX_VViewContainer;

class AAX_CEffectGUI : public AAX_IEffectGUI {
public:
    AAX_CEffectGUI();
    ~AAX_CEffectGUI() override;

    ACFRESULT InternalQueryInterface(const acfIID& iid, void** out) override;

    AAX_Result Initialize(IACFUnknown* host) override;
    AAX_Result Uninitialize() override;
    AAX_Result NotificationReceived(uint32_t, const void*, uint32_t) override { return AAX_SUCCESS; }
    AAX_Result SetViewContainer(IACFUnknown* container) override;
    AAX_Result GetViewSize(AAX_Point*) const override { return AAX_SUCCESS; }
    AAX_Result Draw(AAX_Rect*) override { return AAX_SUCCESS; }
    AAX_Result TimerWakeup() override { return AAX_SUCCESS; }
    AAX_Result ParameterUpdated(const char*) override { return AAX_SUCCESS; }
    AAX_Result GetCustomLabel(const char*, AAX_IString*) const override { return AAX_ERROR_NULL_OBJECT; }
    AAX_Result SetControlHighlightInfo(const char*, bool, int32_t) override { return AAX_SUCCESS; }

    virtual void CreateViewContents() = 0;   // 13
    virtual void CreateViewContainer() = 0;  // 14
    virtual void DeleteViewContainer() = 0;  // 15
    virtual void UpdateAllParameters();      // 16

    AAX_IACFEffectParameters* GetEffectParameters() const { return effectParameters; }
    AAX_VViewContainer* GetViewContainer() const { return viewContainer.get(); }
    void* GetViewContainerPtr() const;
    AAX_VController* GetController() const { return controller.get(); }
    AAX_VTransport* GetTransport() const { return transport.get(); }

private:
    void releaseEffectParameters();

    std::unique_ptr<AAX_VController> controller;
    AAX_IACFEffectParameters* effectParameters = nullptr;
    std::unique_ptr<AAX_VViewContainer> viewContainer;
    std::unique_ptr<AAX_VTransport> transport;
};
