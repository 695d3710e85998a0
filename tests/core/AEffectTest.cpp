#include "core/AEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "support/ProbeEffect.h"
#include "support/RecordingEditor.h"
#include "support/RecordingHost.h"

namespace {

// Reads a field the way a host does: from the record's bytes at an offset.
template <typename T>
T fieldAt(const AEffect& record, size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + offset, sizeof(T));
    return value;
}

template <typename F>
uintptr_t address(F* function) {
    return reinterpret_cast<uintptr_t>(function);
}

bool allZero(const AEffect& record, size_t from, size_t to) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (size_t i = from; i < to; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

}  // namespace

TEST(AEffect, ConstructedRecordHasThePublishedLayoutAndInitialValues) {
    ASSERT_EQ(sizeof(AEffect), 280u);
    RecordingHost host;
    MinimalEffect effect(RecordingHost::callback, 128, 87);
    const AEffect& record = *effect.getAeffect();

    EXPECT_EQ(fieldAt<int32_t>(record, 0), 0x56737450);  // 'VstP'
    EXPECT_TRUE(allZero(record, 4, 8));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 8), address(&dispatchEffectClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 16), address(&processClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 24), address(&setParameterClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 32), address(&getParameterClass));
    EXPECT_EQ(fieldAt<int32_t>(record, 40), 128);
    EXPECT_EQ(fieldAt<int32_t>(record, 44), 87);
    EXPECT_EQ(fieldAt<int32_t>(record, 48), 1);
    EXPECT_EQ(fieldAt<int32_t>(record, 52), 2);
    EXPECT_EQ(fieldAt<int32_t>(record, 56), 0x10);
    EXPECT_TRUE(allZero(record, 60, 92));  // padding, resvd1/2, initialDelay, qualities
    EXPECT_EQ(fieldAt<float>(record, 92), 1.0f);
    EXPECT_EQ(fieldAt<uintptr_t>(record, 96), reinterpret_cast<uintptr_t>(static_cast<AudioEffect*>(&effect)));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 104), 0u);
    EXPECT_EQ(fieldAt<int32_t>(record, 112), 0x4E6F4566);  // 'NoEf'
    EXPECT_EQ(fieldAt<int32_t>(record, 116), 1);
    EXPECT_EQ(fieldAt<uintptr_t>(record, 120), address(&processClassReplacing));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 128), address(&processClassDoubleReplacing));
    EXPECT_TRUE(allZero(record, 136, 192));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 192), address(&undoClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 200), address(&redoClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 208), address(&openHookMenuClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 216), address(&openManualClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 224), address(&hook5Class));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 232), address(&isKeyInputBlockedClass));
    EXPECT_EQ(fieldAt<uintptr_t>(record, 240), address(&isPageVisibleClass));
    EXPECT_TRUE(allZero(record, 248, 280));

    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_TRUE(host.requests().empty());  // constructing asks the host nothing
}

TEST(AEffect, EachSetterChangesOnlyItsOwnFlagBit) {
    MinimalEffect effect(nullptr, 1, 1);
    const std::pair<int32_t, std::function<void(bool)>> setters[] = {
        {0x2, [&](bool on) { effect.hasClip(on); }},
        {0x4, [&](bool on) { effect.hasVu(on); }},
        {0x8, [&](bool on) { effect.canMono(on); }},
        {0x20, [&](bool on) { effect.programsAreChunks(on); }},
        {0x100, [&](bool on) { effect.isSynth(on); }},
        {0x200, [&](bool on) { effect.noTail(on); }},
        {0x400, [&](bool on) { effect.wantAsyncOperation(on); }},
        {0x800, [&](bool on) { effect.hasExternalBuffer(on); }},
        {0x1000, [&](bool on) { effect.canDoubleReplacing(on); }},
    };
    int32_t& flags = effect.getAeffect()->flags;
    for (const auto& [bit, set] : setters) {
        set(true);
        EXPECT_EQ(flags, 0x10 | bit) << bit;
        set(true);
        EXPECT_EQ(flags, 0x10 | bit) << "setting twice keeps one bit " << bit;
        set(false);
        EXPECT_EQ(flags, 0x10) << bit;
    }
    effect.canProcessReplacing(false);
    EXPECT_EQ(flags, 0);
}

TEST(AEffect, SetEditorTogglesOnlyTheEditorBit) {
    CallLog log;
    MinimalEffect effect(nullptr, 1, 1);
    effect.isSynth(true);
    RecordingEditor editor(log);
    effect.setEditor(&editor);
    EXPECT_EQ(effect.getAeffect()->flags, 0x111);
    EXPECT_EQ(effect.getEditor(), &editor);
    effect.setEditor(nullptr);
    EXPECT_EQ(effect.getAeffect()->flags, 0x110);
    EXPECT_EQ(effect.getEditor(), nullptr);
}
