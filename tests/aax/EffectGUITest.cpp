// The GUI base: its life cycle, the view container hooks and the parameter
// walk it runs when a view opens.
#include <gtest/gtest.h>

#include "FakeHost.h"
#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CEffectGUI.h"
#include "aax/AAX_CEffectParameters.h"
#include "aax/AAX_CParameter.h"

namespace {

class TestGUI : public AAX_CEffectGUI {
public:
    std::vector<std::string>& log;
    explicit TestGUI(std::vector<std::string>& log_) : log(log_) {}
    void CreateViewContents() override { log.push_back("contents"); }
    void CreateViewContainer() override { log.push_back(GetViewContainerPtr() ? "open" : "open without window"); }
    void DeleteViewContainer() override { log.push_back("close"); }
    AAX_Result ParameterUpdated(const char* id) override {
        log.push_back(std::string("updated ") + id);
        return AAX_SUCCESS;
    }
};

class TwoSwitches : public AAX_CEffectParameters {
public:
    int count = 2;
    AAX_Result EffectInit() override {
        for (const char* id : {"4", "MasterBypassID"}) {
            if (count-- <= 0) break;
            mParameterManager.AddParameter(new AAX_CParameter<bool>(id, "x", false, AAX_CBinaryTaperDelegate<bool>(),
                                                                    AAX_CBinaryDisplayDelegate<bool>("Off", "On"), true));
        }
        return AAX_SUCCESS;
    }
};

}  // namespace

TEST(AAXEffectGUI, OpensAndClosesItsViewAndWalksTheParameters) {
    const int32_t before = CACFUnknown::GetActiveObjectCount();
    for (int parameters : {2, 0}) {
        FakeHost host;
        host.offered = {"controller", "transport", "view"};
        auto* effect = new TwoSwitches;
        effect->count = parameters;
        effect->AddRef();
        effect->Initialize(host.unknown());
        host.effect = effect;
        std::vector<std::string> log;
        auto* gui = new TestGUI(log);
        gui->AddRef();
        ASSERT_EQ(gui->Initialize(host.unknown()), AAX_SUCCESS);
        EXPECT_EQ(gui->GetEffectParameters(), effect);
        EXPECT_NE(gui->GetTransport(), nullptr);
        EXPECT_EQ(gui->SetViewContainer(host.unknown()), AAX_SUCCESS);
        EXPECT_EQ(gui->GetViewContainerPtr(), &host.window);
        EXPECT_EQ(gui->SetViewContainer(nullptr), AAX_SUCCESS);
        EXPECT_EQ(gui->GetViewContainer(), nullptr);
        EXPECT_EQ(gui->SetViewContainer(nullptr), AAX_SUCCESS);  // the hook runs all the same
        gui->SetViewContainer(host.unknown());
        gui->Uninitialize();  // closes the open view first
        std::vector<std::string> expected = {"contents", "open"};
        if (parameters) expected.insert(expected.end(), {"updated 4", "updated MasterBypassID"});
        expected.insert(expected.end(), {"close", "close", "open"});
        if (parameters) expected.insert(expected.end(), {"updated 4", "updated MasterBypassID"});
        expected.push_back("close");
        EXPECT_EQ(log, expected);
        EXPECT_EQ(gui->GetEffectParameters(), nullptr);
        EXPECT_EQ(gui->Release(), 0u);
        effect->Uninitialize();
        EXPECT_EQ(effect->Release(), 0u);
        EXPECT_EQ(host.references, 0);
    }
    EXPECT_EQ(CACFUnknown::GetActiveObjectCount(), before);
}

TEST(AAXEffectGUI, ANullHostLeavesOnlyTheControllerWrapper) {
    std::vector<std::string> log;
    TestGUI gui(log);
    EXPECT_EQ(gui.Initialize(nullptr), AAX_ERROR_NOT_INITIALIZED);
    EXPECT_NE(gui.GetController(), nullptr);  // made before the check; Uninitialize deletes it
    gui.UpdateAllParameters();                 // no effect parameters: nothing to walk
    AAX_CString label;
    EXPECT_EQ(gui.GetCustomLabel("1", &label), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(gui.Uninitialize(), AAX_SUCCESS);
    EXPECT_EQ(gui.GetController(), nullptr);
    void* out = nullptr;
    ASSERT_EQ(gui.InternalQueryInterface(IID_IACFEffectGUI, &out), ACF_OK);
    EXPECT_EQ(out, static_cast<AAX_IACFEffectGUI*>(&gui));
    EXPECT_EQ(gui.InternalQueryInterface(IID_IACFEffectParameters, &out), ACF_E_NOINTERFACE);
    EXPECT_TRUE(log.empty());  // CreateViewContents waits for a host
}
