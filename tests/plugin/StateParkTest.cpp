// The host's calls while the MIDI export keeps the state parked, made on a
// host thread while the test's thread holds the parked turn: saves answer
// the state the park began with or the state the host restored since,
// restores are checked at once and kept, MIDI program changes (also those
// arriving while the export drives the engine) and rate changes are kept;
// the park's end applies them in the order they came.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ProgramChanges.h"
#include "support/InstanceTestSupport.h"
#include "support/RunLength.h"
#include "persistence/Settings.h"
#include "plugin/BindingTable.h"

namespace {

constexpr float kNewRate = 96000.0f;

struct Call {
    enum Kind { Save, Restore, Junk, Program } kind;
};

struct Case {
    const char* name;
    std::vector<Call::Kind> calls;
    float reso;          // after the park's end
    const char* preset;  // the preset name after it
};

class StateParkTest : public InstanceTest {
protected:
    void SetUp() override {
        std::string root;
        ASSERT_TRUE(getSettingString("presetpath0", root));
        const std::filesystem::path bank = std::filesystem::path(root) / "Midi Programs";
        std::filesystem::create_directories(bank);
        for (int i = 0; i < 2; ++i) {
            set(Tag::FilterReso, 0.25f * float(i + 1));
            ASSERT_TRUE(instance->savePreset((bank / ("M " + std::to_string(i) + ".zvp")).string().c_str(), 0, nullptr,
                                             nullptr, nullptr));
        }
        set(Tag::FilterReso, 0.75f);
        instance->setPresetName(0, "other");
        other = save();
        set(Tag::FilterReso, 0.1f);
        instance->setPresetName(0, "before");
        before = save();
    }

    std::vector<uint8_t> save() {
        void* data = nullptr;
        const int32_t bytes = instance->getChunk(&data, false);
        if (bytes <= 0 || !data) return {};
        return {static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + bytes};
    }
    int32_t restore(std::vector<uint8_t> bytes) { return instance->setChunk(bytes.data(), int32_t(bytes.size()), false); }
    void programChange(int program) {
        ProgramChanges change{program};
        instance->processEvents(change.events());
        EXPECT_TRUE(RunLength::waitFor([&] { return !instance->isLoaderBusy(); }));
    }

    std::vector<uint8_t> before, other;
};

TEST_F(StateParkTest, HostCallsAreAnsweredFromTheParkAndAppliedInOrderAtItsEnd) {
    const Case cases[] = {
        {"restore, then program", {Call::Save, Call::Restore, Call::Save, Call::Program, Call::Save}, 0.5f, "M 1"},
        {"program, then restore", {Call::Program, Call::Save, Call::Restore, Call::Save}, 0.75f, "other"},
        {"a state not ours", {Call::Junk, Call::Save}, 0.1f, "before"},
    };
    const float startRate = instance->getSampleRate();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(restore(before), 1);
        instance->setSampleRate(startRate);
        std::unique_lock<StateTurn> turn = instance->stateTurn().take(0);
        ASSERT_TRUE(turn.owns_lock());
        ASSERT_TRUE(instance->parkState());
        ASSERT_TRUE(instance->beginOfflineExport(EngineHold::kEditTries));
        std::vector<std::vector<uint8_t>> saves;
        std::vector<int32_t> restores;
        std::thread host([&] {
            std::vector<uint8_t> junk = before;
            junk[32] ^= 0x5A;  // the body marker
            for (const Call::Kind call : c.calls) {
                switch (call) {
                    case Call::Save: saves.push_back(save()); break;
                    case Call::Restore: restores.push_back(restore(other)); break;
                    case Call::Junk: restores.push_back(restore(junk)); break;
                    case Call::Program: programChange(1); break;
                }
            }
            instance->setSampleRate(kNewRate);
        });
        host.join();
        // Nothing reached the state while it was parked.
        EXPECT_FLOAT_EQ(instance->rawValue(Tag::FilterReso), 0.1f);
        EXPECT_EQ(instance->presetName(0), "before");
        EXPECT_EQ(instance->getSampleRate(), startRate);
        instance->endOfflineExport();
        instance->unparkState();
        turn.unlock();

        // Each save gave the state the host gave last, or the one the park began with.
        size_t save = 0, restored = 0;
        const std::vector<uint8_t>* last = &before;
        for (const Call::Kind call : c.calls) {
            if (call == Call::Restore) {
                EXPECT_EQ(restores[restored++], 1);
                last = &other;
            } else if (call == Call::Junk) {
                EXPECT_EQ(restores[restored++], 0) << "refused at once";
            } else if (call == Call::Save) {
                EXPECT_TRUE(saves[save++] == *last) << "save " << save;
            }
        }
        EXPECT_FLOAT_EQ(instance->rawValue(Tag::FilterReso), c.reso);
        EXPECT_EQ(instance->presetName(0), c.preset);
        EXPECT_EQ(instance->getSampleRate(), kNewRate);
        EXPECT_EQ(instance->getSystemInfo()->sampleRate, kNewRate);
    }
}

}  // namespace
