// The open editor beside every thread a host runs: the audio thread renders
// the dense patch (and sends controllers, which a learn target armed from
// the interface takes), a host thread restores and saves states, sends
// parameter values and asks for coefficient packets, and the GUI thread
// feeds the headless view random clicks, right clicks, wheels and drags,
// most of them painting the step tables and the step lines that the render
// reads or pressing the step lines' copy, paste and other edit buttons,
// whose edits the render runs while the lines are drawn; now and then it
// shows a box (a damaged preset chosen) that stays up until the host thread
// has made two more rounds, and presses the MIDI export.  From the end of
// the set-up it runs ZORVANE_STRESS_SECONDS at least (2 unless set; make
// tsan runs 60) and until every thread has made its rounds, however slow the
// machine: no sanitizer report and no assertion, and every kind of call
// still answers, beside the boxes and the exports too.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
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
#include "platform/Dialogs.h"
#include "platform/DragOut.h"
#include "platform/ShellOpen.h"
#include "plugin/BWUniClient.h"
#include "plugin/BindingTable.h"
#include "support/RealEditor.h"
#include "support/RunLength.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"
#include "RandomInterfaceInput.h"
#include "RegisteredEffect.h"

namespace {

// What each thread must have done after the set-up, at the least.
constexpr int32_t kRounds = 40;
constexpr int32_t kBoxes = 3;
constexpr int32_t kExports = 3;
// How often the GUI thread shows a box and presses the export, in timer calls.
constexpr int32_t kBoxEvery = 40;
constexpr int32_t kExportEvery = 60;
// Where the export button lies at zoom 1.
constexpr int32_t kExportX = 890, kExportY = 70;

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
    SettingsSandbox settings;
    TempDir content;
    std::string error;
    ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    setSettingString(SettingNames::kInstrumentsPath, (content.path() / kFactoryInstrumentsFolder).string());
    globalRomplerLibrary().scan(true);
    const platform::ShellOpenHandler shell = platform::setShellOpenHandler([](const std::string&) { return false; });
    ScopedEditorFactory factory(&makeRealEditor);

    HostInstance host(registeredEffect(), 2, 48000.0f);
    BWUniClient& core = *dynamic_cast<BWAAXWrapperParameters*>(host.effect())->getCore();
    densePatch(core, true);
    // Exports of four bars: long enough for the host's calls to meet them.
    core.setParameter(Tag::ExportLength, 3.0f / float(stepCount(Tag::ExportLength)) + 0.00001f);
    // Two states the host thread restores in turn: the dense patch, and the
    // same with other lane steps and values.
    const std::vector<uint8_t> dense = chunkRecord(host.saveState());
    for (int tag = 0; tag < 40; ++tag) host.automate(std::to_string(tag), double(tag % 7) / 6.0);
    const std::vector<uint8_t> other = chunkRecord(host.saveState());
    ASSERT_GT(dense.size(), kChunkHeaderSize);
    ASSERT_GT(other.size(), kChunkHeaderSize);
    AAX_IParameter* firstParameter = nullptr;
    ASSERT_EQ(host.effect()->GetParameter("0", &firstParameter), AAX_SUCCESS);
    // A preset that is none: choosing it shows "This is no valid Zorvane format!".
    const std::string damaged = (content.path() / "Damaged.zvp").string();
    std::ofstream(damaged) << "not a preset at all, and long enough to be read as one";

    HeadlessView view(host);
    ASSERT_TRUE(view.ok());
    view.tick(5);

    std::atomic<bool> done{false};
    std::atomic<int32_t> blocks{0};
    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        float* outputs[2] = {left.data(), right.data()};
        for (int32_t n = 0; !done.load(); n = blocks.fetch_add(1) + 1) {
            if (n % 8 == 0) host.queueMidi(0, 0xB0, uint8_t(20 + n % 5), uint8_t(n % 128));
            host.runBlock(outputs, 256);
        }
    });
    std::atomic<int32_t> hostRounds{0}, restored{0}, saved{0}, automated{0}, packets{0};
    std::atomic<int32_t> savedBesideExports{0}, restoredBesideExports{0};
    std::thread hostThread([&] {
        RandomInterfaceInput values(7);
        for (int round = 0; !done.load(); round = hostRounds.fetch_add(1) + 1) {
            AAX_IACFEffectParameters_V4& effect = *host.effect();
            const bool exporting = core.stateTurn().isParked();
            switch (round % 4) {
                case 0: {
                    const std::vector<uint8_t>& record = (round / 4) % 2 ? other : dense;
                    auto* chunk = reinterpret_cast<const AAX_SPlugInChunk*>(record.data());
                    if (effect.SetChunk(BWAAXWrapperParameters::kChunkID, chunk) != AAX_SUCCESS) break;
                    ++restored;
                    if (exporting && core.stateTurn().isParked()) ++restoredBesideExports;
                    break;
                }
                case 1:
                    if (host.saveState().empty()) break;
                    ++saved;
                    if (exporting && core.stateTurn().isParked()) ++savedBesideExports;
                    break;
                case 2:
                    for (int i = 0; i < 16; ++i)
                        host.automate(std::to_string(values.next(kHostParameterCount)), double(values.next(1001)) / 1000.0);
                    ++automated;
                    break;
                default:
                    if (effect.GenerateCoefficients() == AAX_SUCCESS) ++packets;
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    // A person who answers once the host thread has gone on for two rounds.
    std::atomic<int32_t> boxes{0}, exports{0};
    const RunLength run(RunLength::stressSeconds(2));
    const platform::MessageHandler previousBoxes = platform::setMessageHandler([&](const platform::MessageRequest& request) {
        ++boxes;
        const int32_t from = hostRounds.load();
        while (hostRounds.load() < from + 2 && run.goOn(false)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return platform::safeAnswer(request.kind);
    });
    platform::setDragOutReceiver([&](const platform::DragOutRequest& request) {
        ++exports;
        std::filesystem::remove(request.path);
        return platform::kDropEffectNone;
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
    int32_t timerCalls = 0;
    const auto enough = [&] {
        for (const int32_t count : {blocks.load(), timerCalls, restored.load(), saved.load(), automated.load(), packets.load()})
            if (count < kRounds) return false;
        return boxes >= kBoxes && exports >= kExports && savedBesideExports > 0 && restoredBesideExports > 0;
    };
    {
        Joiner joiner{done, audio, hostThread};
        while (run.goOn(enough())) {
            for (int event = 0; event < 3; ++event) input.sendOne(view);
            view.tick();
            ++timerCalls;
            if (timerCalls % kExportEvery == 0) view.click(kExportX, kExportY);
            if (timerCalls % kBoxEvery == 0) {
                // As the GLOBAL preset menu's choice runs: inside the view's turn.
                const std::unique_lock<StateTurn> turn = core.guiTurn(true);
                core.loadPresetFromFile(damaged.c_str(), 0);
            }
        }
    }
    platform::setMessageHandler(previousBoxes);
    platform::setDragOutReceiver({});
    platform::setShellOpenHandler(shell);

    for (const int32_t count : {blocks.load(), timerCalls, restored.load(), saved.load(), automated.load(), packets.load()})
        EXPECT_GE(count, kRounds);
    EXPECT_GE(boxes.load(), kBoxes);
    EXPECT_GE(exports.load(), kExports);
    EXPECT_GT(savedBesideExports.load(), 0) << "a save met an export";
    EXPECT_GT(restoredBesideExports.load(), 0) << "a restore met an export";
    // The host's parameter objects are the ones it had before the restores.
    AAX_IParameter* after = nullptr;
    ASSERT_EQ(host.effect()->GetParameter("0", &after), AAX_SUCCESS);
    EXPECT_EQ(after, firstParameter);
    // What the session left still saves and restores.
    const std::vector<uint8_t> last = host.saveState();
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(host.loadState(last), AAX_SUCCESS);
}
