// A host adds and removes tracks while another track plays and has its state
// restored and saved: instances are made and destroyed on two threads while
// a third instance renders on its audio thread and a host thread restores
// and saves it.  Everything an instance's construction or destruction
// touches that the process shares (the product identity, the settings, the
// instrument library, the editor's tables) must hold; under
// ThreadSanitizer (make tsan) this runs ZORVANE_STRESS_SECONDS and must
// report nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "aax/BWAAXWrapperParameters.h"
#include "host/HostInstance.h"
#include "host/demo/DensePatch.h"
#include "platform/Framework.h"
#include "plugin/BWUniClient.h"
#include "support/RunLength.h"
#include "support/SettingsSandbox.h"
#include "HostThreadCalls.h"
#include "RegisteredEffect.h"

TEST(InstancesBeside, MadeAndDestroyedWhileAnotherPlaysRestoresAndSaves) {
    SettingsSandbox settings;
    HostInstance steady(registeredEffect(), 2, 48000.0f);
    ASSERT_TRUE(steady.ok());
    densePatch(*dynamic_cast<BWAAXWrapperParameters*>(steady.effect())->getCore(), true);
    const std::vector<uint8_t> saved = steady.saveState();
    ASSERT_FALSE(saved.empty());
    for (int note : {36, 48, 55, 60, 64}) steady.queueMidi(0, 0x90, uint8_t(note), 100);

    std::atomic<bool> done{false};
    std::atomic<int32_t> blocks{0}, restores{0}, saves{0}, made{0};
    std::atomic<bool> intact{true};
    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        float* outputs[2] = {left.data(), right.data()};
        while (!done.load()) {
            steady.runBlock(outputs, 256);
            ++blocks;
        }
    });
    std::thread chunks([&] {
        for (int round = 0; !done.load(); ++round) {
            if (round % 2 == 0) {
                intact = intact && !steady.saveState().empty();
                ++saves;
            } else {
                intact = intact && restoreOnHostThread(steady, saved) == AAX_SUCCESS;
                ++restores;
            }
        }
    });
    // Each new instance plays a block and has its state saved before it goes,
    // as a track that was added and soon removed again.
    std::vector<std::thread> makers;
    for (int n = 0; n < 2; ++n) {
        makers.emplace_back([&, n] {
            std::vector<float> left(64), right(64);
            float* outputs[2] = {left.data(), right.data()};
            while (!done.load()) {
                HostInstance track(registeredEffect(), 2, n == 0 ? 44100.0f : 96000.0f);
                intact = intact && track.ok() && std::string(getProductName()) == "Zorvane";
                if (!track.ok()) continue;
                track.queueMidi(0, 0x90, 60, 100);
                track.runBlock(outputs, 64);
                intact = intact && !track.saveState().empty();
                ++made;
            }
        });
    }

    constexpr int32_t kRounds = 8;
    const RunLength run(RunLength::stressSeconds(2));
    while (run.goOn(made >= kRounds && restores >= kRounds && saves >= kRounds && blocks >= kRounds))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    done.store(true);
    audio.join();
    chunks.join();
    for (std::thread& maker : makers) maker.join();
    EXPECT_TRUE(intact.load());
    EXPECT_GE(made.load(), kRounds);
    EXPECT_GE(restores.load(), kRounds);
    EXPECT_GE(blocks.load(), kRounds);
    EXPECT_EQ(getProgramVersion(), 9);
    EXPECT_STREQ(getVersionString(), "1.0.0.00");
}
