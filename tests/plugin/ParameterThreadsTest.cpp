// The plug-in object from several threads at once, as hosts and the editor
// use it: host threads storing parameters, a GUI thread reading values,
// displays and the state, loads of presets and states and program changes,
// all while the audio thread renders held chords.  Run under
// ThreadSanitizer (make tsan), which must report nothing; here also checked
// for what the engine derives once the threads are done.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "support/InstanceTestSupport.h"
#include "StateTestSupport.h"
#include "core/VstTypes.h"
#include "host/demo/DensePatch.h"
#include "persistence/Settings.h"
#include "support/AllocationCounter.h"
#include "support/RunLength.h"

namespace {

using namespace std::chrono_literals;

// The audio thread: blocks of 256 with a chord held from the first, and the
// given program changes now and then; stops when told.
class AudioThread {
public:
    AudioThread(BWUniClient& client, std::vector<int> programs = {}) : client(client), programs(std::move(programs)) {}
    ~AudioThread() { stop(); }

    void start() {
        worker = std::thread([this] { run(); });
        while (blocks.load() < 4) std::this_thread::yield();
    }
    void stop() {
        done.store(true);
        if (worker.joinable()) worker.join();
    }
    int64_t rendered() const { return blocks.load(); }

private:
    void run() {
        std::vector<float> left(256), right(256);
        float* outputs[2] = {left.data(), right.data()};
        for (size_t next = 0; !done.load(); blocks.fetch_add(1)) {
            VstMidiEvent change{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0xC0), 0, 0, 0}, 0, 0, 0, 0};
            VstEvent* list[3] = {};
            auto* events = reinterpret_cast<VstEvents*>(list);
            if (!programs.empty() && blocks.load() % 40 == 39) {
                change.midiData[1] = char(programs[next++ % programs.size()]);
                events->events[events->numEvents++] = reinterpret_cast<VstEvent*>(&change);
            }
            client.processEvents(events);
            client.processReplacing(outputs, outputs, 256);
            for (float sample : left) ASSERT_TRUE(std::isfinite(sample));
        }
    }

    BWUniClient& client;
    std::vector<int> programs;
    std::thread worker;
    std::atomic<bool> done{false};
    std::atomic<int64_t> blocks{0};
};

// Runs `work` on its own thread, over and over, until the audio thread has
// rendered `blocks` more blocks.
template <typename Work>
std::thread whileRendering(const AudioThread& audio, int64_t blocks, Work work) {
    const int64_t until = audio.rendered() + blocks;
    return std::thread([&audio, until, work]() mutable {
        for (int round = 0; audio.rendered() < until; ++round) work(round);
    });
}

}  // namespace

// Two host threads automating the filter cutoff and the master level while
// the audio thread renders: the engine is the only writer of what it
// derives, and derives from the last value stored.
TEST_F(InstanceTest, ParameterThreadsTwoHostThreadsAgainstTheRender) {
    densePatch(*instance, false);
    {
        AllocationCounter counter;
        for (int32_t index = 0; index <= Tag::HighestIndex; ++index) instance->setParameter(index, 0.5f);
        EXPECT_EQ(counter.count(), 0u) << "a host's store allocates nothing";
    }
    AudioThread audio(*instance);
    audio.start();
    std::thread cutoff = whileRendering(audio, 400, [this](int round) {
        instance->setParameter(Tag::FilterCutoff, float(round % 100) / 99.0f);
    });
    std::thread level = whileRendering(audio, 400, [this](int round) {
        instance->setParameter(Tag::MasterLevel, float(round % 50) / 49.0f);
    });
    cutoff.join();
    level.join();
    audio.stop();
    ASSERT_TRUE(instance->deriveNow());
    EXPECT_EQ(state.filter.settings.cut, instance->rawValue(Tag::FilterCutoff));
    EXPECT_EQ(state.output.masterGain, 2.0f * instance->rawValue(Tag::MasterLevel));
}

// A host thread changes the rate every 20 ms of its own pacing while the
// audio thread renders the dense patch: the render reads the rate it
// renders at inside its block, which a rate change, holding the engine,
// never enters.  The render follows the last rate taken.
TEST_F(InstanceTest, ParameterThreadsRateChangesWhileTheAudioThreadPlays) {
    constexpr float kRates[] = {48000.0f, 96000.0f, 22050.0f, 44100.0f};
    densePatch(*instance, false);
    AudioThread audio(*instance);
    audio.start();
    int32_t changes = 0;
    for (RunLength run(RunLength::stressSeconds(2)); run.goOn(changes >= 40); ++changes) {
        instance->setSampleRate(kRates[changes % 4]);
        std::this_thread::sleep_for(20ms);
    }
    const float last = kRates[(changes - 1) % 4];
    const int64_t rendered = audio.rendered();
    ASSERT_TRUE(RunLength::waitFor([&] { return audio.rendered() > rendered + 2; }));
    audio.stop();
    EXPECT_EQ(instance->getSampleRate(), last);
    EXPECT_EQ(instance->getSystemInfo()->sampleRate, last);
    EXPECT_EQ(instance->renderState().bypass.stepRate, last) << "the render took the rate";
}

// Every index swept with random values by a host thread, a GUI thread reading
// values, displays and the state, a third loading states and presets and the
// program loader serving program changes, all while chords render.
TEST_F(InstanceTest, ParameterThreadsHostGuiLoaderAndAudioTogether) {
    densePatch(*instance, false);
    std::string root;
    ASSERT_TRUE(getSettingString("presetpath0", root));
    const std::filesystem::path bank = std::filesystem::path(root) / "MIDI PROGRAMS";
    std::filesystem::create_directories(bank);
    std::vector<std::vector<uint32_t>> states;
    for (int i = 0; i < 3; ++i) {
        set(Tag::FilterReso, 0.2f * float(i + 1));
        set(Tag::Transpose, 0.4f + 0.1f * float(i));
        ASSERT_TRUE(instance->savePreset((bank / ("P " + std::to_string(i) + ".zvp")).string().c_str(), 0, nullptr,
                                         nullptr, nullptr));
        states.push_back(chunkWords(*instance));
    }

    AudioThread audio(*instance, {0, 2, 1});
    audio.start();
    std::thread host = whileRendering(audio, 600, [this](int round) {
        std::mt19937 random{static_cast<uint32_t>(round)};
        for (int32_t index = 0; index <= Tag::HighestIndex; ++index) {
            instance->setParameter(index, std::uniform_real_distribution<float>(0.0f, 1.0f)(random));
        }
    });
    std::thread gui = whileRendering(audio, 600, [this](int round) {
        char text[BWUniClient::kParameterTextBytes];
        float sum = 0.0f;
        for (int32_t index = 0; index < kHostParameterCount; ++index) {
            sum += instance->getParameter(index);
            instance->getParameterDisplay(index, text);
        }
        EXPECT_TRUE(std::isfinite(sum));
        instance->isPageVisible(round % 32);
        instance->interfaceRequests().takeRefreshRequests();
        if (round % 8 == 0) chunkWords(*instance);
    });
    std::thread loads = whileRendering(audio, 600, [this, &states](int round) {
        applyWords(*instance, states[size_t(round) % states.size()]);
        std::this_thread::sleep_for(2ms);
    });
    host.join();
    gui.join();
    loads.join();
    audio.stop();
    RunLength::waitFor([&] { return !instance->isLoaderBusy(); });
    ASSERT_TRUE(instance->deriveNow());
    EXPECT_EQ(state.output.masterGain, 2.0f * instance->rawValue(Tag::MasterLevel));
    EXPECT_EQ(state.sequencer.transpose,
              float(std::min(int32_t(49.0f * instance->rawValue(Tag::Transpose)), 48) - 24));
}

// MIDI learn while a host thread saves: the editor arms a learn target (as
// its learn menu does), the render moves it into the list of the next
// controller that arrives, and a save on another thread writes the map
// meanwhile.  Run under ThreadSanitizer: the save reads a copy, never the
// lists the render appends to.
TEST_F(InstanceTest, ParameterThreadsLearningWhileAHostThreadSaves) {
    std::atomic<bool> done{false};
    std::atomic<int64_t> blocks{0};
    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        float* outputs[2] = {left.data(), right.data()};
        for (int64_t n = 0; !done.load(); n = blocks.fetch_add(1) + 1) {
            VstMidiEvent controller{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0,
                                    {char(0xB0), char(20 + n % 8), char(n % 128), 0}, 0, 0, 0, 0};
            VstEvent* list[3] = {};
            auto* events = reinterpret_cast<VstEvents*>(list);
            events->events[events->numEvents++] = reinterpret_cast<VstEvent*>(&controller);
            instance->processEvents(events);
            instance->processReplacing(outputs, outputs, 256);
        }
    });
    int32_t saves = 0;
    for (int round = 0; round < 300; ++round) {
        {
            EngineHoldScope hold(instance->engineHold(), EngineHold::kEditTries);
            ASSERT_TRUE(hold.held());
            MidiLearnMap& map = instance->learnMap();
            LearnEditScope editing(map);
            map.targets().assign(1, LearnEntry{int16_t(round % 40), 0});
        }
        void* data = nullptr;
        saves += instance->getChunk(&data, false) > 0;
    }
    done.store(true);
    audio.join();
    EXPECT_EQ(saves, 300);
    int32_t learned = 0;
    for (int32_t controller = 20; controller < 28; ++controller)
        learned += int32_t(instance->learnMap().controller(controller).size());
    EXPECT_GT(learned, 0) << "the render learned while the saves ran";
}
