// The effect-parameters base as the host drives it: every slot, automation
// through the host, coefficient packets and the controls-state chunk.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "FakeHost.h"
#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CEffectParameters.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CParameter.h"
#include "aax/AAX_CPercentDisplayDelegateDecorator.h"

namespace {

// Registers what the adapter registers: a master bypass with its packet on
// port 0, a float and a switch, and optionally a preview switch.
class TestEffect : public AAX_CEffectParameters {
public:
    bool withPreview = false;

    AAX_Result EffectInit() override {
        auto* bypass = new AAX_CParameter<bool>(kMasterBypassID, "Master Bypass", false, AAX_CBinaryTaperDelegate<bool>(),
                                                AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
        bypass->SetNumberOfSteps(2);
        bypass->SetType(AAX_eParameterType_Discrete);
        mParameterManager.AddParameter(bypass);
        mPacketDispatcher.RegisterPacket(kMasterBypassID, 0,
                                         AAX_CPacketHandler<AAX_CPacketDispatcher>(&mPacketDispatcher, &AAX_CPacketDispatcher::GenerateSingleValuePacket));
        auto* level = new AAX_CParameter<float>("0", "Filter Cutoff\nCutoff\nCut", 0.f, AAX_CLinearTaperDelegate<float, 2147483647>(0, 1),
                                                AAX_CPercentDisplayDelegateDecorator<float>(AAX_CNumberDisplayDelegate<float, 2, 0>()), true);
        level->SetNumberOfSteps(2147483647);
        level->SetNormalizedDefaultValue(0.25);
        mParameterManager.AddParameter(level);
        auto* on = new AAX_CParameter<bool>("1", "Kick2Sidechain", false, AAX_CBinaryTaperDelegate<bool>(),
                                            AAX_CBinaryDisplayDelegate<bool>("Off", "On"), false);
        on->SetNumberOfSteps(2);
        mParameterManager.AddParameter(on);
        if (withPreview)
            mParameterManager.AddParameter(new AAX_CParameter<bool>(kPreviewID, "Preview", false, AAX_CBinaryTaperDelegate<bool>(),
                                                                    AAX_CBinaryDisplayDelegate<bool>("Off", "On"), false));
        return AAX_SUCCESS;
    }
    int32_t chunked() const { return mNumChunkedParameters; }
};

struct EffectFixture : ::testing::Test {
    FakeHost host;
    TestEffect* effect = new TestEffect;  // freed by its last release
    AAX_IACFEffectParameters_V4* host_view = nullptr;

    void SetUp() override {
        host.offered = {"controller", "transport", "automation"};
        host.applyTo = effect;
        void* out = nullptr;
        ASSERT_EQ(effect->InternalQueryInterface(IID_IACFEffectParameters_V4, &out), ACF_OK);
        host_view = static_cast<AAX_IACFEffectParameters_V4*>(out);
        ASSERT_EQ(host_view->Initialize(host.unknown()), AAX_SUCCESS);
    }
    void TearDown() override {
        host_view->Uninitialize();
        host_view->Release();
    }
    double normalized(const char* id) {
        double value = -1;
        host_view->GetParameterNormalizedValue(id, &value);
        return value;
    }
};

// Chunk records are allocated by the host with the size it was told.
std::vector<uint8_t> chunkRecord(uint32_t size, uint32_t id) {
    std::vector<uint8_t> bytes(kChunkHeaderSize + size, 0);
    reinterpret_cast<AAX_SPlugInChunk*>(bytes.data())->fChunkID = id;
    return bytes;
}
AAX_SPlugInChunk* asChunk(std::vector<uint8_t>& bytes) { return reinterpret_cast<AAX_SPlugInChunk*>(bytes.data()); }

}  // namespace

TEST_F(EffectFixture, EverySlotAnswersForKnownAndUnknownIdentifiers) {
    using Call = std::function<AAX_Result(AAX_IACFEffectParameters_V4&, const char*)>;
    AAX_CString text;
    double number = 0;
    int32_t integer = 0;
    bool flag = false;
    uint32_t word = 0;
    AAX_IParameter* parameter = nullptr;
    AAX_CMidiPacket packet{};
    float f = 0;
    const struct {
        int slot;
        Call call;
        AAX_Result known;
        AAX_Result unknown;
    } cases[] = {
        {5, [&](auto& e, auto) { return e.NotificationReceived(0, nullptr, 0); }, 0, 0},
        {6, [&](auto& e, auto) { return e.GetNumberOfParameters(&integer); }, 0, 0},
        {7, [&](auto& e, auto) { return e.GetMasterBypassParameter(&text); }, 0, 0},
        {8, [&](auto& e, auto id) { return e.GetParameterIsAutomatable(id, &flag); }, 0, -20001},
        {9, [&](auto& e, auto id) { return e.GetParameterNumberOfSteps(id, &integer); }, 0, -20001},
        {10, [&](auto& e, auto id) { return e.GetParameterName(id, &text); }, 0, 0},
        {11, [&](auto& e, auto id) { return e.GetParameterNameOfLength(id, &text, 5); }, 0, 0},
        {12, [&](auto& e, auto id) { return e.GetParameterDefaultNormalizedValue(id, &number); }, 0, -20001},
        {13, [&](auto& e, auto id) { return e.SetParameterDefaultNormalizedValue(id, 0.25); }, 0, -20001},
        {14, [&](auto& e, auto id) { return e.GetParameterType(id, &integer); }, 0, -20001},
        {15, [&](auto& e, auto id) { return e.GetParameterOrientation(id, &integer); }, 0, -20001},
        {16, [&](auto& e, auto id) { return e.GetParameter(id, &parameter); }, 0, -20001},
        {17, [&](auto& e, auto id) { return e.GetParameterIndex(id, &integer); }, 0, -20001},
        {18, [&](auto& e, auto) { return e.GetParameterIDFromIndex(1, &text); }, 0, 0},
        {19, [&](auto& e, auto id) { return e.GetParameterValueInfo(id, 0, &integer); }, -20009, -20009},
        {20, [&](auto& e, auto id) { return e.GetParameterValueFromString(id, &number, AAX_CString("50%")); }, 0, -20001},
        {21, [&](auto& e, auto id) { return e.GetParameterStringFromValue(id, 0.5, &text, 8); }, 0, -20001},
        {22, [&](auto& e, auto id) { return e.GetParameterValueString(id, &text, 8); }, 0, -20001},
        {23, [&](auto& e, auto id) { return e.GetParameterNormalizedValue(id, &number); }, 0, -20001},
        {24, [&](auto& e, auto id) { return e.SetParameterNormalizedValue(id, 0.25); }, 0, -20001},
        {25, [&](auto& e, auto id) { return e.SetParameterNormalizedRelative(id, 0.0); }, 0, -20001},
        {26, [&](auto& e, auto id) { return e.TouchParameter(id); }, 0, -20001},
        {27, [&](auto& e, auto id) { return e.ReleaseParameter(id); }, 0, -20001},
        {28, [&](auto& e, auto id) { return e.UpdateParameterTouch(id, true); }, 0, 0},
        {29, [&](auto& e, auto id) { return e.UpdateParameterNormalizedValue(id, 0.25, 0); }, 0, -20001},
        {30, [&](auto& e, auto id) { return e.UpdateParameterNormalizedRelative(id, 0.0); }, 0, -20001},
        {31, [&](auto& e, auto) { return e.GenerateCoefficients(); }, 0, 0},
        {32, [&](auto& e, auto) { return e.ResetFieldData(0, &word, 4); }, 0, 0},
        {33, [&](auto& e, auto) { return e.GetNumberOfChunks(&integer); }, 0, 0},
        {34, [&](auto& e, auto) { return e.GetChunkIDFromIndex(1, &word); }, -20006, -20006},
        {39, [&](auto& e, auto) { return e.GetNumberOfChanges(&integer); }, 0, 0},
        {40, [&](auto& e, auto) { return e.TimerWakeup(); }, 0, 0},
        {41, [&](auto& e, auto) { return e.GetCurveData(0, &f, 1, &f); }, -20009, -20009},
        {42, [&](auto& e, auto) { return e.GetCustomData(0, 4, &word, &word); }, 0, 0},
        {43, [&](auto& e, auto) { return e.SetCustomData(0, 4, &word); }, 0, 0},
        {44, [&](auto& e, auto) { return e.DoMIDITransfers(); }, 0, 0},
        {45, [&](auto& e, auto) { return e.RenderAudio_Hybrid(nullptr); }, -20009, -20009},
        {46, [&](auto& e, auto) { return e.UpdateMIDINodes(0, packet); }, 0, 0},
        {47, [&](auto& e, auto) { return e.UpdateControlMIDINodes(0, packet); }, 0, 0},
        {48, [&](auto& e, auto) { return e.GetCurveDataMeterIds(0, &word, &word); }, -20009, -20009},
        {49, [&](auto& e, auto) { return e.GetCurveDataDisplayRange(0, &f, &f, &f, &f); }, -20009, -20009},
        {50, [&](auto& e, auto) { return e.UpdatePageTable(0, 0, nullptr); }, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.call(*host_view, "0"), c.known) << "slot " << c.slot;
        EXPECT_EQ(c.call(*host_view, "nope"), c.unknown) << "slot " << c.slot;
        EXPECT_EQ(c.call(*host_view, nullptr), c.unknown) << "slot " << c.slot;
    }
    EXPECT_EQ(word, 0u);  // the field block and the written count are cleared
    // Null outputs are refused instead of written through.
    EXPECT_EQ(host_view->GetNumberOfParameters(nullptr), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(host_view->GetParameterNormalizedValue("0", nullptr), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(host_view->GetParameterNameOfLength("0", nullptr, 3), AAX_ERROR_INVALID_STRING_CONVERSION);
    EXPECT_EQ(host_view->GetChunk(kControlsChunkID, nullptr), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(host_view->SetChunk(kControlsChunkID, nullptr), AAX_ERROR_NULL_ARGUMENT);
}

TEST_F(EffectFixture, AnswersWhatTheParametersHold) {
    int32_t count = 0;
    host_view->GetNumberOfParameters(&count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(effect->chunked(), 2);  // the bypass is left out of the chunk
    AAX_CString text("junk");
    host_view->GetMasterBypassParameter(&text);
    EXPECT_STREQ(text.Get(), "MasterBypassID");
    host_view->GetParameterName("nope", &text);
    EXPECT_STREQ(text.Get(), "");
    int32_t steps = 0;
    host_view->GetParameterNumberOfSteps("0", &steps);
    EXPECT_EQ(steps, 2147483647);
    int32_t index = 0;
    host_view->GetParameterIndex("1", &index);
    EXPECT_EQ(index, 2);
    host_view->GetParameterIDFromIndex(5, &text);
    EXPECT_STREQ(text.Get(), "");
    EXPECT_EQ(host_view->GetParameterIDFromIndex(5, &text), AAX_ERROR_INVALID_PARAMETER_ID);
    double value = 0;
    host_view->GetParameterValueFromString("0", &value, AAX_CString("50%"));
    EXPECT_DOUBLE_EQ(value, 0.5);
    EXPECT_EQ(host_view->GetParameterValueFromString("1", &value, AAX_CString("maybe")), AAX_ERROR_INVALID_STRING_CONVERSION);
    host_view->GetParameterStringFromValue("0", 0.5, &text, 4);
    EXPECT_STREQ(text.Get(), "50%");
    host_view->GetParameterValueString("MasterBypassID", &text, 2);
    EXPECT_STREQ(text.Get(), "bypass");

    const struct {
        int32_t length;
        const char* name;
    } names[] = {{3, "Cut"}, {5, "Cut"}, {6, "Cutoff"}, {13, "Filter Cutoff"}, {100, "Filter Cutoff"}, {2, "Fi"}, {0, ""}};
    for (const auto& c : names) {
        host_view->GetParameterNameOfLength("0", &text, c.length);
        EXPECT_STREQ(text.Get(), c.name) << c.length;
    }
}

TEST_F(EffectFixture, HostAutomationAppliesChangesCountsThemAndPostsTheirPackets) {
    host.automation.clear();
    EXPECT_EQ(host_view->SetParameterNormalizedValue("0", 0.9), AAX_SUCCESS);
    EXPECT_NEAR(normalized("0"), 0.9, 1e-7);  // a float parameter
    host_view->SetParameterNormalizedRelative("0", 0.3);
    EXPECT_DOUBLE_EQ(normalized("0"), 1.0);
    host_view->SetParameterNormalizedRelative("0", -2);
    EXPECT_DOUBLE_EQ(normalized("0"), 0.0);
    host_view->UpdateParameterNormalizedRelative("0", 0.5);
    EXPECT_DOUBLE_EQ(normalized("0"), 0.5);
    const std::vector<std::string> order = {"touch(0)",   "request(0,0.9)", "current(0,0.9)", "release(0)", "touch(0)",
                                            "request(0,1)", "current(0,1)", "release(0)",     "touch(0)",   "request(0,0)",
                                            "current(0,0)", "release(0)",   "current(0,0.5)"};
    EXPECT_EQ(host.automation, order);
    int32_t changes = 0;
    host_view->GetNumberOfChanges(&changes);
    EXPECT_EQ(changes, 4);
    host_view->UpdateParameterNormalizedValue("0", 0.5, 0);  // same value: not a change
    host_view->GetNumberOfChanges(&changes);
    EXPECT_EQ(changes, 4);

    host_view->GenerateCoefficients();  // the bypass packet starts dirty
    host_view->GenerateCoefficients();
    host_view->UpdateParameterNormalizedValue("MasterBypassID", 1.0, 0);
    host_view->UpdateParameterNormalizedValue("0", 0.75, 0);  // no packet of its own
    host_view->GenerateCoefficients();
    EXPECT_EQ(host.posts, (std::vector<std::vector<uint8_t>>{{0, 0, 0, 0, 0}, {0, 1, 0, 0, 0}}));
}

TEST_F(EffectFixture, ControlsChunkRoundTripLeavesTheBypassAlone) {
    uint32_t id = 0;
    host_view->GetChunkIDFromIndex(0, &id);
    EXPECT_EQ(id, 0x656C636Bu);
    std::vector<uint8_t> early = chunkRecord(64, id);
    EXPECT_EQ(host_view->GetChunk(id, asChunk(early)), AAX_ERROR_INCORRECT_CHUNK_SIZE);  // no size asked yet

    host_view->SetParameterNormalizedValue("0", 0.5);
    host_view->SetParameterNormalizedValue("1", 1.0);
    uint32_t size = 0;
    EXPECT_EQ(host_view->GetChunkSize(fourCharID("BWZv"), &size), AAX_ERROR_INVALID_CHUNK_ID);
    ASSERT_EQ(host_view->GetChunkSize(id, &size), AAX_SUCCESS);
    EXPECT_EQ(size, 4u + 4 + 8 + 4 + 4);  // "d_0" and a double, "l_1" and an int
    std::vector<uint8_t> saved = chunkRecord(size, id);
    ASSERT_EQ(host_view->GetChunk(id, asChunk(saved)), AAX_SUCCESS);
    EXPECT_EQ(asChunk(saved)->fSize, int32_t(size));
    EXPECT_EQ(asChunk(saved)->fVersion, -1);
    EXPECT_STREQ(reinterpret_cast<const char*>(asChunk(saved)->fName), "Complete Controls State");

    bool equal = false;
    host_view->CompareActiveChunk(asChunk(saved), &equal);
    EXPECT_TRUE(equal);
    host_view->SetParameterNormalizedValue("0", 0.125);
    host_view->SetParameterNormalizedValue("1", 0.0);
    host_view->SetParameterNormalizedValue("MasterBypassID", 1.0);
    host_view->CompareActiveChunk(asChunk(saved), &equal);
    EXPECT_FALSE(equal);
    ASSERT_EQ(host_view->SetChunk(id, asChunk(saved)), AAX_SUCCESS);
    EXPECT_DOUBLE_EQ(normalized("0"), 0.5);
    EXPECT_DOUBLE_EQ(normalized("1"), 1.0);
    EXPECT_DOUBLE_EQ(normalized("MasterBypassID"), 1.0);
    host_view->CompareActiveChunk(asChunk(saved), &equal);
    EXPECT_TRUE(equal);

    std::vector<uint8_t> other = chunkRecord(4, fourCharID("BWZv"));
    host_view->CompareActiveChunk(asChunk(other), &equal);
    EXPECT_TRUE(equal);  // not ours to compare
    EXPECT_EQ(host_view->SetChunk(fourCharID("BWZv"), asChunk(other)), AAX_ERROR_INVALID_CHUNK_ID);

    // A chunk cut inside its last value changes nothing.
    host_view->SetParameterNormalizedValue("0", 0.25);
    asChunk(saved)->fSize -= 2;
    EXPECT_EQ(host_view->SetChunk(id, asChunk(saved)), AAX_ERROR_MALFORMED_CHUNK);
    EXPECT_DOUBLE_EQ(normalized("0"), 0.25);
    EXPECT_EQ(host_view->CompareActiveChunk(asChunk(saved), &equal), AAX_ERROR_MALFORMED_CHUNK);
    EXPECT_FALSE(equal);
}

TEST(AAXEffectParameters, PreviewNotificationInterfacesAndLifetime) {
    const int32_t before = CACFUnknown::GetActiveObjectCount();
    FakeHost host;
    host.offered = {"controller"};
    auto* effect = new TestEffect;
    effect->withPreview = true;
    effect->Initialize(host.unknown());
    const int32_t on = 1;
    double preview = 0;
    effect->NotificationReceived(fourCharID("ASPx"), &on, 4);
    effect->GetParameterNormalizedValue(kPreviewID, &preview);
    EXPECT_EQ(preview, 0.0);
    // Without a host automation interface the wrapper drops requests, so the
    // host's own apply is what changes a value.
    effect->NotificationReceived(kNotificationPreviewState, &on, 4);
    effect->NotificationReceived(kNotificationPreviewState, nullptr, 0);
    effect->UpdateParameterNormalizedValue(kPreviewID, 1.0, 0);
    effect->GetParameterNormalizedValue(kPreviewID, &preview);
    EXPECT_EQ(preview, 1.0);

    void* first = nullptr;
    void* out = nullptr;
    for (const acfIID& iid : {IID_IACFEffectParameters, IID_IACFEffectParameters_V2, IID_IACFEffectParameters_V3, IID_IACFEffectParameters_V4}) {
        ASSERT_EQ(effect->QueryInterface(iid, &out), ACF_OK);
        if (!first) first = out;
        EXPECT_EQ(out, first);
    }
    EXPECT_EQ(effect->QueryInterface(zorvaneHostID(200), &out), ACF_E_NOINTERFACE);
    EXPECT_EQ(effect->Uninitialize(), AAX_SUCCESS);
    int32_t count = -1;
    effect->GetNumberOfParameters(&count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(effect->GenerateCoefficients(), AAX_SUCCESS);  // the bypass handler finds no parameter: nothing posted
    for (int i = 0; i < 4; ++i) effect->Release();
    EXPECT_EQ(CACFUnknown::GetActiveObjectCount(), before);
    EXPECT_EQ(host.references, 0);
}
