#include "engine/VoiceLayer.h"

#include <gtest/gtest.h>

#include <cmath>

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
    handler.resetVoices();
    EXPECT_FALSE(handler.getInstrument()->isInUse());
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

}  // namespace
