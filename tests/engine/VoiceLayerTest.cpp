#include "engine/VoiceLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "BWRomplerLibraryFixture.h"
#include "EngineTestContext.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"

namespace {

// Keys 0..63 hold one zone per layer (layer 0 plays 0.25, layer 1 0.5); keys
// 64..127 one zone for every layer (0.75).
class VoiceLayerTest : public BWRomplerLibraryFixture {
protected:
    VoiceLayerTest() {
        BWRompler instrument;
        const int32_t zones[][5] = {{0, 63, 0, 0, 8192}, {0, 63, 1, 1, 16384}, {64, 127, 0, 127, 24576}};
        for (const auto& z : zones) {
            BWSampleZone* zone = instrument.addZone();
            zone->setKeyRange(z[0], z[1]);
            zone->setLayerRange(z[2], z[3]);
            zone->setRootKey(60);
            const std::vector<int16_t> values(4000, int16_t(z[4]));
            EXPECT_TRUE(zone->getSample().setData(values.data(), nullptr, 4000, 44100.0f));
            EXPECT_TRUE(zone->getSample().setLoop(0, 4000, true));
            zone->getSample().setEmbedData(true);
        }
        EXPECT_TRUE(instrument.saveFile((folder / "Layers.bwr").c_str()));
        library.scan(false);
        EXPECT_TRUE(handler.loadInstrument("Layers", false));
        layer.attachTo(handler);
    }

    // One tick with voice 0 on the note and gate; what voice 0 plays.
    float tick(float note, float gate, float offset = 0.0f, AgeSetting age = {}, BWRomplerHandler* on = nullptr) {
        notes[0] = note;
        gates[0] = gate;
        layer.tick(on ? *on : handler, notes, gates, offset, age);
        return layer.output(0)[15];
    }

    EngineTestContext context;
    BWRomplerLibrary library{SettingNames::kInstrumentsPath};
    BWRomplerHandler handler{&library};
    VoiceLayer layer{context.info};
    VoiceValues notes{}, gates{};
};

// Each new gate toggles the trigger, whose whole part picks the layer of the
// zone table: 1, then 0, then 1 (read at a tick's last frame); a held gate
// renders on; a trigger that finds no zone leaves the voice playing on.
TEST_F(VoiceLayerTest, TriggersPickZonesByKeyAndAlternateLayers) {
    const struct {
        float note, gate, plays;
    } script[] = {{40, 1, 0.5f},  {40, 1, 0.5f},           {40, 0, 0.5f}, {40, 0.8f, 0.5f / 16},  // the old fades
                  {40, 0.8f, 0.25f}, {40, 0, 0.25f}, {70, 1, 0.25f / 16}, {70, 1, 0.75f}};
    for (const auto& step : script) EXPECT_EQ(tick(step.note, step.gate), step.plays) << step.note << " " << step.gate;
    EXPECT_EQ(layer.triggerValues()[0], 1.0f);
    EXPECT_EQ(layer.output(1)[0], 0.0f);
    BWRomplerHandler empty(nullptr);
    const float before = layer.reader(0).getPosition();
    tick(70, 0, 0, {}, &empty);
    tick(70, 1, 0, {}, &empty);
    EXPECT_EQ(layer.triggerValues()[0], 0.99999899f);
    EXPECT_NEAR(layer.reader(0).getPosition(), before + 32 * layer.reader(0).getIncrement(), 1e-2);
    EXPECT_TRUE(handler.getInstrument()->isInUse());
    handler.resetVoices();  // the voices let go as they unbind
    EXPECT_FALSE(handler.getInstrument()->isInUse());
}

// Every voice's gate, eight at once, against the rule one voice at a time:
// a gate that moved and stands above 0 flips its trigger (a move from one
// open gate to another retriggers too); a gate that stays, falls, goes
// negative or is not a number leaves it.  Each voice runs the table from
// its own place, so that every voice meets every step.
TEST_F(VoiceLayerTest, EachVoicesGateTriggersAsAlone) {
    const float nan = std::nanf("");
    const float table[] = {0, 1, 1, 0.5f, 0, -0.0f, -1, 0.25f, nan, nan, 1, 1, 0, nan, 0.75f, -0.0f, 0.75f};
    constexpr int kSteps = std::size(table);
    float seen[kLayerVoices] = {}, trigger[kLayerVoices] = {};
    for (int t = 0; t < 3 * kSteps; ++t) {
        for (int k = 0; k < kLayerVoices; ++k) {
            notes[k] = 40.0f;
            gates[k] = table[(t + 3 * k) % kSteps];
            if (gates[k] == seen[k]) continue;
            seen[k] = gates[k];
            if (gates[k] > 0.0f) trigger[k] = trigger[k] == 1.0f ? 0.99999899f : 1.0f;
        }
        layer.tick(handler, notes, gates, 0.0f, {});
        for (int k = 0; k < kLayerVoices; ++k) {
            ASSERT_EQ(layer.triggerValues()[k], trigger[k]) << "tick " << t << " voice " << k;
            // A voice starts at its first trigger and plays on from there.
            EXPECT_EQ(layer.reader(k).isActive(), trigger[k] != 0.0f) << "tick " << t << " voice " << k;
        }
    }
}

// Ticks that bring the very gates of the last one take the short way; they
// must leave the layer where the full way would.  A twin layer is fed the
// same gates with other bits wherever the value allows (a zero as -0, a NaN
// with another payload), so that it takes the full way on those ticks; both
// must play every voice's samples alike and flip the triggers and start the
// voices as the rule says.  The last voice runs a step behind the others, so
// that one voice's move alone must be seen.  A trigger seen while the
// handler holds no instrument is spent: held on, it starts nothing once the
// instrument is there.
TEST_F(VoiceLayerTest, HeldGatesLeaveTheLayerWhereTheFullTickWould) {
    const float nan = std::nanf(""), otherNan = std::nanf("7");
    const struct {
        float gate;
        bool empty;  // the handler holds no instrument
    } script[] = {{0, false},   {0, false},   {1, true},      {1, false}, {1, false}, {nan, false},
                  {nan, false}, {0.5f, false}, {0.5f, false}, {-0.0f, false}, {0, false}, {0, false},
                  {1, false},   {1, false},   {1, true},      {0, true},  {0, true}};
    BWRomplerHandler empty(nullptr);
    VoiceLayer twin{context.info};
    twin.attachTo(handler);
    float seen[kLayerVoices] = {}, trigger[kLayerVoices] = {};
    bool plays[kLayerVoices] = {};
    for (size_t t = 1; t < std::size(script); ++t) {
        BWRomplerHandler& on = script[t].empty ? empty : handler;
        VoiceValues twinGates{};
        for (int k = 0; k < kLayerVoices; ++k) {
            const float gate = script[k == kLayerVoices - 1 ? t - 1 : t].gate;
            notes[k] = 40.0f + k;
            gates[k] = gate;
            twinGates[k] = gate == 0.0f ? (t % 2 ? -0.0f : 0.0f) : std::isnan(gate) && t % 2 ? otherNan : gate;
            if (gate == seen[k] || (std::isnan(gate) && std::isnan(seen[k]))) continue;
            seen[k] = gate;
            if (!(gate > 0.0f)) continue;
            trigger[k] = trigger[k] == 1.0f ? 0.99999899f : 1.0f;
            plays[k] = plays[k] || !script[t].empty;
        }
        const AgeSetting age = {20.0f, 0.5f};
        const uint32_t drawsFrom = context.info.randomState;
        layer.tick(on, notes, gates, 0.0f, age);
        const uint32_t drawsTo = context.info.randomState;
        context.info.randomState = drawsFrom;  // the twin draws the same drift
        twin.tick(on, notes, twinGates, 0.0f, age);
        ASSERT_EQ(context.info.randomState, drawsTo);
        for (int k = 0; k < kLayerVoices; ++k) {
            ASSERT_EQ(layer.triggerValues()[k], trigger[k]) << "tick " << t << " voice " << k;
            ASSERT_EQ(twin.triggerValues()[k], trigger[k]) << "tick " << t << " voice " << k;
            ASSERT_EQ(layer.reader(k).isActive(), plays[k]) << "tick " << t << " voice " << k;
            ASSERT_EQ(layer.noteValues()[k], twin.noteValues()[k]) << "tick " << t << " voice " << k;
            for (int s = 0; s < kEngineTick; ++s)
                ASSERT_EQ(layer.output(k)[s], twin.output(k)[s]) << "tick " << t << " voice " << k << " frame " << s;
        }
    }
    EXPECT_TRUE(plays[0] && plays[kLayerVoices - 1]);
    layer.releaseSamples();
    twin.releaseSamples();
}

// Notes take the layer's offset within 0..127; "Age" 1 moves them to a new
// random value within ±4 semitones every tick.
TEST_F(VoiceLayerTest, NoteValuesTakeTheOffsetAndTheAgeDrift) {
    tick(50, 1.0f, 12.5f);
    EXPECT_EQ(layer.noteValues()[0], 62.5f);
    EXPECT_NEAR(layer.reader(0).getIncrement(), std::pow(2.0, 2.5 / 12), 2e-3);
    float previous = 0.0f, largest = 0.0f;
    for (int i = 0; i < 200; ++i, previous = layer.noteValues()[0]) {
        tick(120, 1.0f, 24.0f, AgeSetting::forLayer(1.0f));
        EXPECT_TRUE(layer.noteValues()[0] != previous && std::fabs(layer.noteValues()[0] - 127.0f) <= 4.0f);
        largest = std::max(largest, std::fabs(layer.noteValues()[0] - layer.clampedNotes()[0]));
    }
    EXPECT_GT(largest, 3.5f);
}

// The layer renders its eight voices at once, each sample read once a tick
// for all the voices on it: bit for bit what eight voices give when each
// starts, cross-fades, follows its note and renders on its own, through
// retriggers on looped and played-through zones of both layers, notes beyond
// the zones and a drifting pitch.  (On the portable kernels where the
// processor's own have their multiply-adds fused.)
TEST_F(VoiceLayerTest, RendersAsEachVoiceAlone) {
    const UnfusedVoiceKernels unfused;
    BWRompler waves;
    const struct {
        int32_t keyLow, keyHigh, layerLow, layerHigh;
        bool loop;
    } zones[] = {{0, 63, 0, 0, true}, {0, 63, 1, 1, false}, {64, 120, 0, 127, true}};
    for (size_t z = 0; z < std::size(zones); ++z) {
        BWSampleZone* zone = waves.addZone();
        zone->setKeyRange(zones[z].keyLow, zones[z].keyHigh);
        zone->setLayerRange(zones[z].layerLow, zones[z].layerHigh);
        zone->setRootKey(48 + 12 * int32_t(z));
        zone->setTune(0.3f * float(z));
        std::vector<int16_t> values(3000);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = int16_t(12000.0 * std::sin(double(i) * (0.03 + 0.05 * double(z))) + 500.0 * double(i % 7));
        EXPECT_TRUE(zone->getSample().setData(values.data(), nullptr, 3000, 32000.0f + 8000.0f * float(z)));
        EXPECT_TRUE(zone->getSample().setLoop(400, 2600, zones[z].loop));
        zone->getSample().setEmbedData(true);
    }
    EXPECT_TRUE(waves.saveFile((folder / "Sines.bwr").c_str()));
    library.scan(true);
    BWRomplerHandler wavesHandler(&library);
    ASSERT_TRUE(wavesHandler.loadInstrument("Sines", false));
    VoiceLayer together(context.info);
    together.attachTo(wavesHandler);

    using Reader = VoiceLayer::Reader;
    std::vector<std::unique_ptr<Reader>> alone;
    for (int k = 0; k < kLayerVoices; ++k) {
        alone.push_back(std::make_unique<Reader>(&context.info));
        alone.back()->setRightWanted(false);
    }
    VoiceValues seen{};
    uint32_t seed = 5;
    for (int tick = 0; tick < 3000; ++tick) {
        for (int k = 0; k < kLayerVoices; ++k) {
            seed = seed * 1664525u + 1013904223u;
            if ((seed >> 24) % 16 == 0) gates[k] = (seed >> 20) % 3 == 0 ? 0.0f : 1.0f;
            if ((seed >> 16) % 64 == 0) notes[k] = float((seed >> 8) % 128);
        }
        together.tick(wavesHandler, notes, gates, 3.0f, AgeSetting::forLayer(0.4f));
        const BWRomplerHandler::ZoneAccess access(wavesHandler);
        for (int k = 0; k < kLayerVoices; ++k) {
            Reader& voice = *alone[k];
            const float trigger = together.triggerValues()[k];
            const float note = together.noteValues()[k];
            BWSampleZone* zone = nullptr;
            if (trigger != seen[k] && trigger != 0.0f) {
                seen[k] = trigger;
                zone = access.zoneFor(int32_t(note), int32_t(trigger));
            }
            if (zone) {
                voice.startVoice(zone, note, 0.0f);
            } else if (voice.isActive()) {
                voice.setNote(note);
                voice.render(16, 0);
            }
            for (int s = 0; s < 16; ++s)
                ASSERT_EQ(together.output(k)[s], voice.left[s]) << "tick " << tick << " voice " << k << " frame " << s;
        }
    }
}

// The voices hold their samples open from tick to tick.  A writer replacing
// the playing sample from another thread still gets its turn within a few
// ticks, whether something lets go for the voices every four ticks or never;
// the voice plays the old values, the new ones or, while the writer works,
// silence, and nothing else.  Once the render stopped for good, a writer
// that lets go for the voices (as a holder of the engine does) waits for
// nothing.
TEST_F(VoiceLayerTest, SampleReplacedWhileTheAudioThreadPlays) {
    BWSampleData& sample = handler.getInstrument()->findZone(70, 1)->getSample();
    for (const int blockTicks : {4, 0}) {
        std::atomic<bool> playing{true};
        std::atomic<int> ticks{0};
        std::vector<float> heard;
        heard.reserve(1 << 20);
        gates[0] = 1.0f;
        notes[0] = 70.0f;
        std::thread audio([&] {
            for (int t = 1; playing.load(); ++t) {
                layer.tick(handler, notes, gates, 0.0f, {});
                if (heard.size() < heard.capacity()) heard.push_back(layer.output(0)[15]);
                if (blockTicks > 0 && t % blockTicks == 0) layer.releaseSamples();
                ticks.fetch_add(1);
            }
        });
        std::vector<float> written{float(sample.getLeft()[0]) / 32768.0f};
        for (int round = 1; round <= 20; ++round) {
            while (ticks.load() < 50 * round) std::this_thread::yield();
            const float value = 0.01f * float(round);
            const std::vector<int16_t> values(4000, int16_t(value * 32768.0f));
            // Refused had it waited out the voices' wait.
            ASSERT_TRUE(sample.setData(values.data(), nullptr, 4000, 44100.0f)) << blockTicks << " " << round;
            written.push_back(float(int16_t(value * 32768.0f)) / 32768.0f);
        }
        // The voice lets go while a writer waits and takes the sample again
        // at its next tick; a tick begun after the last write has returned
        // holds it, however long that write kept the audio thread waiting.
        const int afterLastWrite = ticks.load() + 2;
        while (ticks.load() < std::max(50 * 21, afterLastWrite)) std::this_thread::yield();
        playing = false;
        audio.join();
        if (blockTicks == 0) {
            EXPECT_TRUE(std::as_const(layer).reader(0).isHolding());
        }
        layer.releaseSamples();
        const std::vector<int16_t> last(4000, int16_t(8192));
        EXPECT_TRUE(sample.setData(last.data(), nullptr, 4000, 44100.0f));
        size_t w = 0;
        for (size_t t = 0; t < heard.size(); ++t) {
            if (heard[t] == 0.0f) continue;
            while (w < written.size() && heard[t] != written[w]) ++w;
            ASSERT_LT(w, written.size()) << "tick " << t << " heard " << heard[t];
        }
        layer.restore({});
    }
}

// A sample replaced between two blocks at half its rate: the voice playing
// it steps half as far from the next block's second tick on.
TEST_F(VoiceLayerTest, FollowsTheRateOfASampleReplacedBetweenBlocks) {
    BWSampleData& sample = handler.getInstrument()->findZone(70, 1)->getSample();
    {
        const std::vector<int16_t> first(4000, int16_t(24576));
        ASSERT_TRUE(sample.setData(first.data(), nullptr, 4000, 44100.0f));
        for (int t = 0; t < 3; ++t) tick(70, 1);
        const float before = std::as_const(layer).reader(0).getIncrement();
        layer.releaseSamples();
        const std::vector<int16_t> values(4000, int16_t(8192));
        ASSERT_TRUE(sample.setData(values.data(), nullptr, 4000, 22050.0f));
        EXPECT_EQ(tick(70, 1), 0.25f);  // the new values at the old step
        tick(70, 1);
        EXPECT_EQ(std::as_const(layer).reader(0).getIncrement(), before / 2);
        layer.releaseSamples();
        layer.restore({});
    }
}

// A voice far into a long sample that is replaced between two blocks by a
// shorter one, ending before the voice or inside its next tick: from then on
// it reads the new frames only (wrapped into them), never the old ones nor
// past the new end.  Blocks of one tick keep every value as it was.
TEST_F(VoiceLayerTest, ASampleReplacedShorterBetweenBlocksIsReadWithinItsNewFrames) {
    BWSampleData& sample = handler.getInstrument()->findZone(70, 1)->getSample();
    const std::vector<int16_t> old(4000, int16_t(24576));
    {
        for (const float beyond : {-1000.0f, 10.0f}) {
            ASSERT_TRUE(sample.setData(old.data(), nullptr, 4000, 44100.0f));
            ASSERT_TRUE(sample.setLoop(0, 4000, true));
            for (int t = 0; t < 50; ++t) {
                ASSERT_EQ(tick(70, 1), 0.75f) << t;
                layer.releaseSamples();
            }
            const int32_t frames = int32_t(std::as_const(layer).reader(0).getPosition() + beyond);
            const std::vector<int16_t> values(size_t(frames), int16_t(4096));
            ASSERT_TRUE(sample.setData(values.data(), nullptr, frames, 44100.0f));
            for (int t = 0; t < 20; ++t) {
                tick(70, 1);
                for (int s = 0; s < 16; ++s) ASSERT_LE(layer.output(0)[s], 0.125f) << frames << " tick " << t << " " << s;
                ASSERT_LT(std::as_const(layer).reader(0).getPosition(), float(frames)) << frames << " tick " << t;
            }
            layer.releaseSamples();
            layer.restore({});
        }
    }
}

// A chain ticks its layers in two halves, every layer's notes and read
// steps before any layer's reads.  Three layers so ticked must play what
// three layers ticked whole one after another play, to the bit, with their
// drift drawn in the same order: each reads on with its own notes' steps.
// The samples differ from frame to frame, so that a wrong step is heard.
TEST_F(VoiceLayerTest, LayersTickedInHalvesPlayAsLayersTickedInTurn) {
    std::vector<int16_t> saw(4000);
    for (size_t i = 0; i < saw.size(); ++i) saw[i] = int16_t(int(i) * 331 % 20000 - 10000);
    for (const auto& [key, zoneLayer] : {std::pair{40, 0}, {40, 1}, {70, 0}}) {
        BWSampleData& sample = handler.getInstrument()->findZone(key, zoneLayer)->getSample();
        ASSERT_TRUE(sample.setData(saw.data(), nullptr, 4000, 44100.0f));
        ASSERT_TRUE(sample.setLoop(0, 4000, true));
    }
    EngineTestContext halves;
    VoiceLayer inTurn[3] = {VoiceLayer(context.info), VoiceLayer(context.info), VoiceLayer(context.info)};
    VoiceLayer inHalves[3] = {VoiceLayer(halves.info), VoiceLayer(halves.info), VoiceLayer(halves.info)};
    for (int i = 0; i < 3; ++i) {
        inTurn[i].attachTo(handler);
        inHalves[i].attachTo(handler);
    }
    const AgeSetting age = {20.0f, 0.5f};
    int loudFrames = 0;
    for (int t = 0; t < 300; ++t) {
        VoiceValues layerNotes[3], layerGates[3];
        float offsets[3];
        for (int i = 0; i < 3; ++i) {
            offsets[i] = 0.5f * float(i) - 0.25f;
            for (int k = 0; k < kLayerVoices; ++k) {
                layerNotes[i][k] = float(30 + 5 * k + 7 * i + t / 37 % 5);
                layerGates[i][k] = (t + 11 * k + 5 * i) % (40 + 3 * k) < 30 ? 1.0f : 0.0f;
            }
        }
        for (int i = 0; i < 3; ++i) inTurn[i].tick(handler, layerNotes[i], layerGates[i], offsets[i], age);
        for (int i = 0; i < 3; ++i) inHalves[i].followNotes(layerNotes[i], layerGates[i], offsets[i], age);
        for (VoiceLayer& layer : inHalves) layer.playTick(handler);
        ASSERT_EQ(halves.info.randomState, context.info.randomState) << "tick " << t;
        for (int i = 0; i < 3; ++i) {
            for (int k = 0; k < kLayerVoices; ++k) {
                for (int s = 0; s < kEngineTick; ++s) {
                    ASSERT_EQ(inHalves[i].output(k)[s], inTurn[i].output(k)[s])
                        << "tick " << t << " layer " << i << " voice " << k << " frame " << s;
                    loudFrames += inTurn[i].output(k)[s] != 0.0f;
                }
            }
        }
    }
    EXPECT_GT(loudFrames, 300 * 3 * kLayerVoices * kEngineTick / 2);
}

}  // namespace
