#include "plugin/BWUniClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "support/InstanceTestSupport.h"
#include "persistence/Settings.h"
#include "support/RecordingEditor.h"
#include "support/ScopedEditorFactory.h"

namespace {

CallLog editorCalls;
AEffEditor* recordingEditorFactory(BWUniClient&, bool) { return new RecordingEditor(editorCalls); }

}  // namespace

TEST_F(InstanceTest, ReportsItselfToTheHostAsTheSynthWithItsDefaults) {
    const AEffect& effect = *instance->getAeffect();
    EXPECT_EQ(effect.numParams, 87);
    EXPECT_EQ(effect.numPrograms, 128);
    EXPECT_EQ(effect.numInputs, 2);
    EXPECT_EQ(effect.numOutputs, 2);
    EXPECT_EQ(effect.uniqueID, ('B' << 24) | ('W' << 16) | ('Z' << 8) | 'v');
    const int32_t flags = EffectFlags::IsSynth | EffectFlags::CanReplacing | EffectFlags::ProgramChunks;
    EXPECT_EQ(effect.flags & flags, flags);
    EXPECT_EQ(effect.flags & EffectFlags::HasEditor, 0) << "no factory, no editor";
    EXPECT_EQ(instance->getEditor(), nullptr);

    EXPECT_EQ(instance->audioEngine().silenceWindow(), 88200);
    for (int32_t kind = 0; kind < 4; ++kind) EXPECT_EQ(instance->presetName(kind), "default");
    EXPECT_EQ(instance->presetCategories().size(), 7u);
    EXPECT_EQ(instance->getSystemInfo()->tickLengthInt, 16);
    EXPECT_DOUBLE_EQ(instance->getSystemInfo()->ticksPerBeat, 1378.125);
    EXPECT_FLOAT_EQ(instance->getSystemInfo()->tempo, 120.0);

    // Every host slot holds its own tag, with the factory default as value.
    for (const DefaultRow& row : hostParameterDefaults()) {
        const ParamBinding* binding = instance->hostBinding(row.tag);
        ASSERT_NE(binding, nullptr) << row.tag;
        EXPECT_EQ(binding->tag, row.tag);
        if (row.tag == 78) {
            EXPECT_NE(binding->object, nullptr) << "PatternKeys is an object binding";
        } else if (row.tag != kChordSelectTag) {
            EXPECT_FLOAT_EQ(instance->getParameter(row.tag), row.value) << binding->name;
        }
    }
    char name[64];
    instance->getParameterName(21, name);
    EXPECT_STREQ(name, "Osc2 Ocatve");
    instance->getParameterName(87, name);
    EXPECT_STREQ(name, "empty");
}

TEST_F(InstanceTest, PresetKindListsFollowConstructionOrderAndTheStoredIdLists) {
    EXPECT_EQ(instance->allBindings().size(), 214u);
    for (int32_t kind = 0; kind < kPresetKindCount; ++kind) {
        std::vector<int32_t> ids;
        for (const ParamBinding* binding : instance->presetMembers(kind)) ids.push_back(binding->id);
        const std::span<const int32_t> expected = presetKindMemberIds(kind);
        EXPECT_EQ(ids, std::vector<int32_t>(expected.begin(), expected.end())) << "kind " << kind;
    }
    // Every binding stands for an engine float or an object, never both.
    for (const ParamBinding* binding : instance->allBindings()) {
        EXPECT_NE(binding->value == nullptr, binding->object == nullptr) << binding->tag;
        EXPECT_EQ(binding->remember, binding->tag == kChordSelectTag);
    }
}

TEST(BWUniClient, DefaultPresetIsWantedExceptUnderTheStandaloneHostOutsideMode1) {
    UserFoldersSandbox sandbox;
    struct Case {
        const char* product;
        int32_t mode;
        bool wanted;
    } cases[] = {{"Brindlewick Standalone", 0, false}, {"Brindlewick Standalone", 1, true},
                 {"Pro Tools", 0, true}, {"Pro Tools", 1, true}};
    for (const Case& c : cases) {
        ProductHost::product = c.product;
        auto instance = makeInstance(c.mode, &ProductHost::callback);
        EXPECT_EQ(instance->wantsDefaultPreset(), c.wanted) << c.product << " mode " << c.mode;
        EXPECT_EQ(instance->defaultPresetPath(), instance->presetFolder() + "default.zvp");
        EXPECT_EQ(instance->presetFolder().back(), '/');
    }
}

TEST(BWUniClient, ChordSelectIsWrittenAtTeardownAndReadBackOnlyAsAFiniteNumber) {
    UserFoldersSandbox sandbox;
    makeInstance()->setParameter(kChordSelectTag, 0.75f);
    std::string text;
    ASSERT_TRUE(getSettingString("Chord Select", text));
    EXPECT_EQ(text, "0.750000");
    EXPECT_FLOAT_EQ(makeInstance()->getParameter(kChordSelectTag), 0.75f);

    struct Case {
        const char* stored;
        float start;
    } cases[] = {{"0.25", 0.25f}, {"nan", 0.0f}, {"inf", 0.0f}, {"5", 1.0f}, {"-2", 0.0f}, {"words", 0.0f}};
    for (const Case& c : cases) {
        setSettingString("Chord Select", c.stored);
        auto instance = makeInstance();
        EXPECT_FLOAT_EQ(instance->getParameter(kChordSelectTag), c.start) << c.stored;
    }

    // Every step comes back as itself through the six decimals it is kept in.
    const int32_t steps = stepCount(kChordSelectTag);
    for (int32_t step = 0; step < steps; ++step) {
        const float value = static_cast<float>(step) / static_cast<float>(steps);
        makeInstance()->setParameter(kChordSelectTag, value);
        auto instance = makeInstance();
        EXPECT_EQ(static_cast<int32_t>(static_cast<float>(steps) * instance->getParameter(kChordSelectTag)), step)
            << value;
    }
}

TEST(BWUniClient, HundredInstancesComeAndGoWithTheirEditors) {
    UserFoldersSandbox sandbox;
    ScopedEditorFactory factory(&recordingEditorFactory);
    editorCalls.clear();
    for (int i = 0; i < 100; ++i) {
        auto instance = makeInstance(i % 2);
        ASSERT_NE(instance->getEditor(), nullptr);
        EXPECT_NE(instance->getAeffect()->flags & EffectFlags::HasEditor, 0);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(instance.get()) % 32, 0u);
        instance->setParameter(i % 390, 0.5f);
    }
    EXPECT_EQ(std::count(editorCalls.begin(), editorCalls.end(), "~editor"), 100);
}

// No parameter case and no preparation reaches into the editor: the audio
// thread and the loader run them while the editor may be closing.
TEST(BWUniClient, ParameterCasesAndTempoChangesNeverCallTheEditor) {
    UserFoldersSandbox sandbox;
    ScopedEditorFactory factory(&recordingEditorFactory);
    auto instance = makeInstance();
    static_cast<RecordingEditor*>(instance->getEditor())->opened = true;
    instance->interfaceRequests().pages.setPageBit(0, true);
    editorCalls.clear();
    instance->state().patterns.stepCursor = 2;
    for (float v : {1.0f, 0.0f, 0.5f, 0.25f, 0.0f}) {
        for (int32_t index = 0; index <= 389; ++index) instance->setParameter(index, v);
        ASSERT_TRUE(instance->deriveNow());
    }
    instance->audioEngine().changeTempo(97.0);
    instance->setSampleRate(48000.0f);
    EXPECT_TRUE(editorCalls.empty()) << editorCalls.front();
    EXPECT_GT(instance->interfaceRequests().takeRefreshRequests(), 0u);
    EXPECT_NE(instance->interfaceRequests().takeDirtyViews(), 0u);
}
