// Parameters (steps, the set path through automation, names, typed access)
// and the parameter manager.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "FakeHost.h"
#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CParameter.h"
#include "aax/AAX_CParameterManager.h"
#include "aax/AAX_CPercentDisplayDelegateDecorator.h"
#include "aax/HostServices.h"

namespace {

std::unique_ptr<AAX_CParameter<bool>> makeSwitch(const char* id, bool value = false) {
    return std::make_unique<AAX_CParameter<bool>>(id, "Switch", value, AAX_CBinaryTaperDelegate<bool>(),
                                                  AAX_CBinaryDisplayDelegate<bool>("Off", "On"), true);
}

std::unique_ptr<AAX_CParameter<float>> makeLevel(const char* id, float value = 0.25f) {
    const AAX_CNumberDisplayDelegate<float, 2, 0> number;
    return std::make_unique<AAX_CParameter<float>>(id, "Osc1 Level", value, AAX_CLinearTaperDelegate<float, 2147483647>(0, 1),
                                                   AAX_CPercentDisplayDelegateDecorator<float>(number), true);
}

}  // namespace

TEST(AAXParameter, StepCountsAndConversions) {
    auto level = makeLevel("1");
    EXPECT_EQ(makeSwitch("s")->GetNumberOfSteps(), 128u);  // until its owner sets 2
    const struct {
        uint32_t steps;
        double normalized;
        uint32_t step;
    } toStep[] = {{128, 0.5, 64}, {2, 0.49, 0}, {2, 0.5, 1}, {3, 2.0, 2}, {3, -1.0, 0}, {1, 0.9, 0}, {128, std::nan(""), 0}};
    for (const auto& c : toStep) {
        level->SetNumberOfSteps(c.steps);
        EXPECT_EQ(level->GetStepValueFromNormalizedValue(c.normalized), c.step) << c.steps << " " << c.normalized;
    }
    const struct {
        uint32_t steps;
        uint32_t step;
        double normalized;
    } fromStep[] = {{3, 3, 1.0}, {3, 1, 0.5}, {5, 1, 0.25}, {1, 1, 0.0}};
    for (const auto& c : fromStep) {
        level->SetNumberOfSteps(c.steps);
        EXPECT_DOUBLE_EQ(level->GetNormalizedValueFromStep(c.step), c.normalized);
    }
    level->SetNumberOfSteps(5);
    level->SetStepValue(3);
    EXPECT_DOUBLE_EQ(level->GetNormalizedValue(), 0.75);
    EXPECT_EQ(level->GetStepValue(), 3u);

    FakeHost host;
    host.offered = {"factory", "services"};
    hostServicesSet(host.unknown());
    level->SetNumberOfSteps(0);
    EXPECT_EQ(level->GetNumberOfSteps(), 5u);
    AAX_CParameter<float> longName("0123456789012345678901234567890123", "x", 0.f, AAX_CLinearTaperDelegate<float, 2147483647>(),
                                   AAX_CNumberDisplayDelegate<float, 2, 0>(), false);
    EXPECT_STREQ(longName.Identifier(), "0123456789012345678901234567890");
    hostServicesSet(nullptr);
    const std::vector<std::string> asserts = {
        "../../Shared/ExternalLibs/PT_AAX_PlugInSDK/Interfaces/AAX_CParameter:834:0 < numSteps",
        "../../Shared/ExternalLibs/PT_AAX_PlugInSDK/Interfaces/AAX_CParameter:194:len < eParemeterDefaultMaxIdentifierSize"};
    EXPECT_EQ(host.asserts, asserts);
}

TEST(AAXParameter, ChangesGoThroughTheHostOnceAnAutomationDelegateIsSet) {
    RecordingAutomation automation;
    auto level = makeLevel("12");
    EXPECT_FLOAT_EQ(level->GetNormalizedValue(), 0.25);  // the default, applied without a delegate
    level->SetAutomationDelegate(&automation);
    level->SetNormalizedValue(0.75);
    EXPECT_DOUBLE_EQ(level->GetNormalizedValue(), 0.25);  // waits for the host to apply it
    level->UpdateNormalizedValue(0.75);
    level->UpdateNormalizedValue(0.75);  // unchanged: nothing to report
    level->SetValueWithFloat(0.5f);
    level->SetValueFromString("10%");
    level->SetToDefaultValue();
    level->Touch();
    level->Release();
    RecordingAutomation other;
    level->SetAutomationDelegate(&other);
    level.reset();
    const std::vector<std::string> expected = {
        "register(12)", "touch(12)", "request(12,0.75)", "release(12)", "current(12,0.75)",
        "touch(12)", "request(12,0.5)", "release(12)", "touch(12)", "request(12,0.1)", "release(12)",
        "touch(12)", "request(12,0.25)", "release(12)", "touch(12)", "release(12)", "unregister(12)"};
    EXPECT_EQ(automation.calls, expected);
    EXPECT_EQ(other.calls, (std::vector<std::string>{"register(12)", "unregister(12)"}));
}

TEST(AAXParameter, TypedAccessAnswersOnlyForItsOwnType) {
    auto on = makeSwitch("b", true);
    auto level = makeLevel("f", 0.5f);
    bool flag = false;
    float value = 0;
    int32_t integer = 0;
    double wide = 0;
    double normalized = 0;
    AAX_CString text;
    EXPECT_TRUE(on->GetValueAsBool(&flag) && flag);
    EXPECT_FALSE(on->GetValueAsFloat(&value) || on->SetValueWithFloat(1) || on->GetValueAsInt32(&integer) || on->GetValueAsDouble(&wide));
    EXPECT_FALSE(on->GetNormalizedValueFromFloat(0.5f, &normalized) || on->GetFloatFromNormalizedValue(1, &value));
    EXPECT_TRUE(level->GetValueAsFloat(&value) && value == 0.5f);
    EXPECT_FALSE(level->GetValueAsBool(&flag) || level->SetValueWithBool(true) || level->SetValueWithInt32(1) || level->SetValueWithDouble(1));
    EXPECT_FALSE(level->GetNormalizedValueFromBool(true, &normalized) || level->GetBoolFromNormalizedValue(1, &flag));
    EXPECT_TRUE(level->GetValueAsString(&text));
    EXPECT_STREQ(text.Get(), "50.00%");
    EXPECT_TRUE(level->GetValueString(4, &text));  // the limit is not passed on
    EXPECT_STREQ(text.Get(), "50.00%");
    EXPECT_TRUE(level->GetStringFromNormalizedValue(0.5, 4, &text));
    EXPECT_STREQ(text.Get(), "50%");
    EXPECT_TRUE(on->GetStringFromNormalizedValue(0.0, &text));
    EXPECT_STREQ(text.Get(), "Off");
    EXPECT_TRUE(on->SetValueWithString(AAX_CString("Off")));
    EXPECT_TRUE(on->GetValueAsBool(&flag) && !flag);
    EXPECT_FALSE(on->SetValueFromString("off"));
    std::unique_ptr<AAX_IParameterValue> snapshot(level->CloneValue());
    EXPECT_STREQ(snapshot->Identifier(), "f");
    EXPECT_TRUE(snapshot->GetValueAsFloat(&value) && value == 0.5f);
    EXPECT_FALSE(snapshot->GetValueAsBool(&flag));
}

TEST(AAXParameter, ShortenedNamesAndDefaults) {
    auto level = makeLevel("n");
    level->SetName("Ten chars!");
    level->AddShortenedName("Tenc");
    level->AddShortenedName("Ten ch");
    const struct {
        int32_t length;
        const char* name;
    } cases[] = {{3, "Tenc"}, {5, "Tenc"}, {6, "Ten ch"}, {9, "Ten ch"}, {10, "Ten chars!"}, {12, "Ten chars!"}, {-1, "Ten chars!"}};
    for (const auto& c : cases) EXPECT_STREQ(level->ShortenedName(c.length).Get(), c.name) << c.length;
    level->ClearShortenedNames();
    level->AddShortenedName("Te");
    level->AddShortenedName("Ten ch");
    EXPECT_STREQ(level->ShortenedName(3).Get(), "Te");
    level->SetNormalizedDefaultValue(1.5);
    EXPECT_DOUBLE_EQ(level->GetNormalizedDefaultValue(), 1.0);

    // A new taper either keeps the normalized position or the value.
    level->SetNormalizedValue(0.5);
    level->SetTaperDelegate(AAX_CLinearTaperDelegate<float, 2147483647>(0, 2), false);
    float value = 0;
    level->GetValueAsFloat(&value);
    EXPECT_FLOAT_EQ(value, 1.f);
    level->SetTaperDelegate(AAX_CLinearTaperDelegate<float, 2147483647>(0, 4), true);
    level->GetValueAsFloat(&value);
    EXPECT_FLOAT_EQ(value, 1.f);
    EXPECT_DOUBLE_EQ(level->GetNormalizedValue(), 0.25);
    level->SetTaperDelegate(AAX_CBinaryTaperDelegate<bool>(), true);  // another value type: ignored
    EXPECT_DOUBLE_EQ(level->GetNormalizedValue(), 0.25);
}

TEST(AAXParameterManager, FindsByIndexAndIdentifierAndRefusesDuplicates) {
    RecordingAutomation automation;
    AAX_CParameterManager manager;
    manager.Initialize(&automation);
    EXPECT_EQ(manager.GetParameterIndex("a"), -1);
    EXPECT_TRUE(manager.AddParameter(makeSwitch("a").release()));
    EXPECT_TRUE(manager.AddParameter(makeLevel("b").release()));
    auto duplicate = makeLevel("a");
    EXPECT_FALSE(manager.AddParameter(duplicate.get()));
    EXPECT_FALSE(manager.AddParameter(nullptr));
    EXPECT_EQ(manager.NumParameters(), 2);
    EXPECT_EQ(manager.GetParameterByID("a")->GetNumberOfSteps(), 128u);  // the first one stays
    EXPECT_EQ(manager.GetParameterIndex("b"), 1);
    EXPECT_EQ(manager.GetParameterIndex(nullptr), -1);
    EXPECT_EQ(manager.GetParameterByID(nullptr), nullptr);
    EXPECT_EQ(manager.GetParameter(-1), nullptr);
    EXPECT_EQ(manager.GetParameter(2), nullptr);
    EXPECT_STREQ(manager.GetParameter(0)->Identifier(), "a");
    manager.RemoveAllParameters();
    EXPECT_EQ(manager.NumParameters(), 0);
    EXPECT_EQ(manager.GetParameterByID("a"), nullptr);
    EXPECT_EQ(automation.calls, (std::vector<std::string>{"register(a)", "register(b)", "unregister(a)", "unregister(b)"}));
}
