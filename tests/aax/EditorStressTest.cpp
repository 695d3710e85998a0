// The open editor beside every thread a host runs: the audio thread renders
// the dense patch (and sends controllers, which a learn target armed from
// the interface takes), a host thread restores and saves states, sends
// parameter values and asks for coefficient packets, and the GUI thread
// feeds the headless view random clicks, right clicks, wheels and drags,
// most of them painting the step tables and the step lines that the render
// reads or pressing the step lines' copy, paste and other edit buttons,
// whose edits the render runs while the lines are drawn.  Seconds
// from ZORVANE_STRESS_SECONDS (2 unless set; make tsan runs 60): no
// sanitizer report and no assertion, and every kind of call still answers.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "aax/AAX_SPlugInChunk.h"
#include "aax/BWAAXWrapperParameters.h"
#include "editor/BWUniClientEditor.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/HeadlessView.h"
#include "host/HostInstance.h"
#include "host/demo/DensePatch.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "platform/ShellOpen.h"
#include "plugin/BWUniClient.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"
#include "RandomInterfaceInput.h"
#include "RegisteredEffect.h"

namespace {

AEffEditor* makeEditor(BWUniClient& client, bool) { return new BWUniClientEditor(&client, false); }

int stressSeconds() {
    const char* seconds = std::getenv("ZORVANE_STRESS_SECONDS");
    return seconds ? std::atoi(seconds) : 2;
}

std::vector<uint8_t> chunkRecord(const std::vector<uint8_t>& state) {
    std::vector<uint8_t> record(kChunkHeaderSize + state.size());
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
    chunk->fSize = int32_t(state.size());
    chunk->fChunkID = BWAAXWrapperParameters::kChunkID;
    std::memcpy(chunkData(chunk), state.data(), state.size());
    return record;
}

}  // namespace

TEST(EditorStress, RestoresSavesValuesAndPacketsWhileTheUserEditsAndTheAudioPlays) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(stressSeconds());
    SettingsSandbox settings;
    TempDir content;
    std::string error;
    ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    setSettingString(SettingNames::kInstrumentsPath, (content.path() / kFactoryInstrumentsFolder).string());
    globalRomplerLibrary().scan(true);
    const platform::ShellOpenHandler shell = platform::setShellOpenHandler([](const std::string&) { return false; });
    ScopedEditorFactory factory(&makeEditor);

    HostInstance host(registeredEffect(), 2, 48000.0f);
    BWUniClient& core = *dynamic_cast<BWAAXWrapperParameters*>(host.effect())->getCore();
    densePatch(core, true);
    // Two states the host thread restores in turn: the dense patch, and the
    // same with other lane steps and values.
    const std::vector<uint8_t> dense = chunkRecord(host.saveState());
    for (int tag = 0; tag < 40; ++tag) host.automate(std::to_string(tag), double(tag % 7) / 6.0);
    const std::vector<uint8_t> other = chunkRecord(host.saveState());
    ASSERT_GT(dense.size(), kChunkHeaderSize);
    ASSERT_GT(other.size(), kChunkHeaderSize);
    AAX_IParameter* firstParameter = nullptr;
    ASSERT_EQ(host.effect()->GetParameter("0", &firstParameter), AAX_SUCCESS);

    HeadlessView view(host);
    ASSERT_TRUE(view.ok());
    view.tick(5);

    std::atomic<bool> done{false};
    std::atomic<int64_t> blocks{0};
    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        float* outputs[2] = {left.data(), right.data()};
        for (int64_t n = 0; !done.load(); n = blocks.fetch_add(1) + 1) {
            if (n % 8 == 0) host.queueMidi(0, 0xB0, uint8_t(20 + n % 5), uint8_t(n % 128));
            host.runBlock(outputs, 256);
        }
    });
    std::atomic<int32_t> restored{0}, saved{0}, packets{0};
    std::thread hostThread([&] {
        RandomInterfaceInput values(7);
        for (int round = 0; !done.load(); ++round) {
            AAX_IACFEffectParameters_V4& effect = *host.effect();
            switch (round % 4) {
                case 0: {
                    const std::vector<uint8_t>& record = (round / 4) % 2 ? other : dense;
                    auto* chunk = reinterpret_cast<const AAX_SPlugInChunk*>(record.data());
                    if (effect.SetChunk(BWAAXWrapperParameters::kChunkID, chunk) == AAX_SUCCESS) ++restored;
                    break;
                }
                case 1:
                    if (!host.saveState().empty()) ++saved;
                    break;
                case 2:
                    for (int i = 0; i < 16; ++i)
                        host.automate(std::to_string(values.next(kHostParameterCount)), double(values.next(1001)) / 1000.0);
                    break;
                default:
                    if (effect.GenerateCoefficients() == AAX_SUCCESS) ++packets;
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    // The threads end however the GUI's loop ends (a throw included).
    struct Joiner {
        std::atomic<bool>& done;
        std::thread& first;
        std::thread& second;
        ~Joiner() {
            done.store(true);
            first.join();
            second.join();
        }
    };
    RandomInterfaceInput input(20261207u);
    int64_t timerCalls = 0;
    {
        Joiner joiner{done, audio, hostThread};
        while (std::chrono::steady_clock::now() < until) {
            for (int event = 0; event < 3; ++event) input.sendOne(view);
            view.tick();
            ++timerCalls;
        }
    }
    platform::setShellOpenHandler(shell);

    EXPECT_GT(blocks.load(), 10);
    EXPECT_GT(timerCalls, 10);
    EXPECT_GT(restored.load(), 0);
    EXPECT_GT(saved.load(), 0);
    EXPECT_GT(packets.load(), 0);
    // The host's parameter objects are the ones it had before the restores.
    AAX_IParameter* after = nullptr;
    ASSERT_EQ(host.effect()->GetParameter("0", &after), AAX_SUCCESS);
    EXPECT_EQ(after, firstParameter);
    // What the session left still saves and restores.
    const std::vector<uint8_t> last = host.saveState();
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(host.loadState(last), AAX_SUCCESS);
}
