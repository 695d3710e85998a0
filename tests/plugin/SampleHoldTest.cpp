// The voices' hold on their samples across host blocks, raced for real as
// the engine runs it: an audio thread renders one 16-sample block a call
// inside the engine hold, while writers replace the layer's instrument and
// the samples its voices play.  Under the sanitizers a sample freed or
// changed while a voice reads it shows up as a fault.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/BWRomplerLibraryFixture.h"
#include "engine/EngineTestContext.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"
#include "engine/VoiceLayer.h"
#include "plugin/EngineHold.h"

namespace {

constexpr int32_t kFrames = 4000;

class SampleHold : public BWRomplerLibraryFixture {
protected:
    SampleHold() {
        // Looping zones of steady values side by side, so that voices play on
        // until they are moved.
        writeLooping("Bells", {8192, 16384, 24576});
        writeLooping("Organ", {4096, 12288});
        library.scan(false);
        EXPECT_TRUE(handler.loadInstrument("Bells", false));
        layer.attachTo(handler);
    }

    void writeLooping(const char* name, const std::vector<int16_t>& levels) {
        BWRompler instrument;
        const int32_t width = 128 / int32_t(levels.size());
        for (size_t z = 0; z < levels.size(); ++z) {
            BWSampleZone* zone = instrument.addZone();
            const int32_t low = int32_t(z) * width;
            zone->setKeyRange(low, z + 1 == levels.size() ? 127 : low + width - 1);
            zone->setRootKey(60);
            const std::vector<int16_t> values(kFrames, levels[z]);
            ASSERT_TRUE(zone->getSample().setData(values.data(), nullptr, kFrames, 44100.0f));
            ASSERT_TRUE(zone->getSample().setLoop(0, kFrames, true));
            zone->getSample().setEmbedData(true);
        }
        ASSERT_TRUE(instrument.saveFile((folder / (std::string(name) + ".bwr")).c_str()));
    }

    // One host block of 16 samples: a tick of eight voices, each retriggered
    // every 40 ticks on a key that wanders across the zones (so that voices
    // fade from one sample to another).  False when the block was held off.
    bool block(int64_t t) {
        if (!hold.enterBlock()) return false;
        for (int v = 0; v < kLayerVoices; ++v) {
            gates[size_t(v)] = (t + 5 * v) % 40 < 36 ? 1.0f : 0.0f;
            notes[size_t(v)] = float((t / 40 * 37 + 16 * v) % 128);
        }
        layer.tick(handler, notes, gates, 0.0f, {});
        for (int v = 0; v < kLayerVoices; ++v) {
            const VoiceLayer::Reader& voice = std::as_const(layer).reader(v);
            // A clear read skips every check: it may stand only on a held sample.
            if (voice.readsClear() && !voice.isHolding()) unheldClearReads.fetch_add(1, std::memory_order_relaxed);
            for (float x : voice.left)
                if (!(std::fabs(x) <= 1.0f)) badValues.fetch_add(1, std::memory_order_relaxed);
        }
        blocks.fetch_add(1, std::memory_order_relaxed);
        hold.leaveBlock();
        return true;
    }

    // An audio thread that renders until told to stop, or for `count` blocks
    // and then never again.
    std::thread render(int64_t count = -1) {
        return std::thread([this, count] {
            for (int64_t t = 0; !stop.load() && (count < 0 || t < count); t += block(t) ? 1 : 0) {
            }
        });
    }

    void waitForBlocks(int64_t more) {
        const int64_t target = blocks.load() + more;
        while (blocks.load() < target) std::this_thread::yield();
    }

    // A state load's instrument change: the engine held, the layer switched
    // and its voices reset, which lets go of their samples for the audio
    // side; nothing plays the old instrument then, so the purge frees it.
    void loadAsAState(const char* name) {
        EngineHoldScope held(hold, EngineHold::kLoadTries);
        ASSERT_TRUE(held.held());
        ASSERT_TRUE(handler.loadInstrument(name, false));
        handler.resetVoices();
        library.purgeReleased();
        EXPECT_EQ(library.pendingCount(), 0u) << name;
    }

    // A writer replacing the values of a sample the voices may be playing.
    // A writer that waited out the voices' wait would be refused, so success
    // means the voices let go.
    void replaceSample(BWSampleData& sample, int16_t level) {
        const std::vector<int16_t> values(kFrames, level);
        EXPECT_TRUE(sample.setData(values.data(), nullptr, kFrames, 44100.0f));
    }

    EngineTestContext context;
    BWRomplerLibrary library{SettingNames::kInstrumentsPath};
    BWRomplerHandler handler{&library};
    VoiceLayer layer{context.info};
    EngineHold hold;
    VoiceValues notes{}, gates{};
    std::atomic<bool> stop{false};
    std::atomic<int64_t> blocks{0};
    std::atomic<int> unheldClearReads{0};
    std::atomic<int> badValues{0};
};

// The ways a writer meets the playing voices, in turn, each while the audio
// thread renders: the editor's instrument change (the switch unheld, the
// purge held), a state load's, and the samples of the playing instrument
// replaced without holding the engine (the voices let go at their next tick).
TEST_F(SampleHold, WritersReplaceWhatTheVoicesPlayWhileTheAudioThreadPlays) {
    std::thread audio = render();
    for (int round = 0; round < 12; ++round) {
        waitForBlocks(60);
        const char* next = round % 2 ? "Bells" : "Organ";
        switch (round % 3) {
            case 0: {
                ASSERT_TRUE(handler.loadInstrument(next, false));
                EngineHoldScope held(hold, EngineHold::kEditTries);
                ASSERT_TRUE(held.held());
                library.purgeReleased();  // what still plays the old one stays parked
                break;
            }
            case 1: loadAsAState(next); break;
            default:
                for (const auto& zone : handler.getInstrument()->getZones())
                    replaceSample(zone->getSample(), int16_t(1000 * round));
                break;
        }
    }
    stop = true;
    audio.join();
    loadAsAState("Organ");
    EXPECT_EQ(unheldClearReads.load(), 0);
    EXPECT_EQ(badValues.load(), 0);
}

// A render that stops for good, after its first block or long after, with
// its voices holding their samples, and a writer that comes to change them
// once it has stopped and while it stops: holding the engine, the writer
// lets go for the voices and gets in at once, and a state load frees the
// old instrument at once.
TEST_F(SampleHold, AWriterGetsInWhenTheRenderStopsForGood) {
    const auto writeHeld = [&](int16_t level) {
        EngineHoldScope held(hold, EngineHold::kLoadTries);
        ASSERT_TRUE(held.held());
        layer.releaseSamples();
        for (const auto& zone : handler.getInstrument()->getZones()) replaceSample(zone->getSample(), level);
    };
    for (const int64_t last : {1, 7, 50, 300}) {
        render(last).join();
        bool holding = false;
        for (int v = 0; v < kLayerVoices; ++v) holding = holding || std::as_const(layer).reader(v).isHolding();
        EXPECT_TRUE(holding) << last;
        writeHeld(2048);
        std::thread audio = render(last);
        while (blocks.load() < last + last / 2) std::this_thread::yield();
        writeHeld(1024);
        audio.join();
        loadAsAState(last % 2 ? "Bells" : "Organ");
        blocks = 0;
    }
    EXPECT_EQ(unheldClearReads.load(), 0);
    EXPECT_EQ(badValues.load(), 0);
}

}  // namespace
