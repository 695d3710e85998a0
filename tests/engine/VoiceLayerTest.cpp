#include "engine/VoiceLayer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "BWRomplerLibraryFixture.h"
#include "EngineTestContext.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"

namespace {

// Keys 0..63 hold one zone per layer (layer 0: level 0.25, layer 1: 0.5);
// keys 64..127 one zone for every layer (0.75).
class VoiceLayerTest : public BWRomplerLibraryFixture {
protected:
    VoiceLayerTest() {
        BWRompler instrument;
        const struct {
            int32_t keyLow, keyHigh, layerLow, layerHigh;
            int16_t value;
        } zones[] = {{0, 63, 0, 0, 8192}, {0, 63, 1, 1, 16384}, {64, 127, 0, 127, 24576}};
        for (const auto& z : zones) {
            BWSampleZone* zone = instrument.addZone();
            zone->setKeyRange(z.keyLow, z.keyHigh);
            zone->setLayerRange(z.layerLow, z.layerHigh);
            zone->setRootKey(60);
            const std::vector<int16_t> values(4000, z.value);
            EXPECT_TRUE(zone->getSample().setData(values.data(), nullptr, 4000, 44100.0f));
            EXPECT_TRUE(zone->getSample().setLoop(0, 4000, true));
            zone->getSample().setEmbedData(true);
        }
        EXPECT_TRUE(instrument.saveFile((folder / "Layers.bwr").c_str()));
        library.scan(false);
        EXPECT_TRUE(handler.loadInstrument("Layers", false));
        layer.attachTo(handler);
    }

    // One tick with voice 0 on the note and gate; the level voice 0 plays.
    float tick(float note, float gate, float offset = 0.0f, AgeSetting age = {}) {
        notes[0] = note;
        gates[0] = gate;
        layer.tick(handler, notes, gates, offset, age);
        return layer.output(0)[15];
    }

    EngineTestContext context;
    BWRomplerLibrary library{SettingNames::kInstrumentsPath};
    BWRomplerHandler handler{&library};
    VoiceLayer layer{context.info};
    VoiceValues notes{}, gates{};
};

// Each new gate toggles the trigger, whose whole part picks the layer of the
// zone table: 1, then 0, then 1.  A held gate only renders on.
TEST_F(VoiceLayerTest, TriggersPickZonesByKeyAndAlternateLayers) {
    EXPECT_EQ(tick(40, 1.0f), 0.5f);
    EXPECT_EQ(tick(40, 1.0f), 0.5f);
    tick(40, 0.0f);
    tick(40, 0.8f);                  // the retrigger fades the old zone out
    EXPECT_EQ(tick(40, 0.8f), 0.25f);
    tick(40, 0.0f);
    tick(70, 1.0f);
    EXPECT_EQ(tick(70, 1.0f), 0.75f);
    EXPECT_EQ(layer.triggerValues()[0], 1.0f);
    tick(70, 0.0f);
    tick(70, 1.0f);
    EXPECT_EQ(layer.triggerValues()[0], 0.99999899f);
    EXPECT_EQ(layer.output(1)[0], 0.0f);  // untouched voices stay silent

    // A trigger that finds no zone leaves the voice playing on.
    BWRomplerHandler empty(nullptr);
    const float before = layer.reader(0).getPosition();
    gates[0] = 0.0f;
    layer.tick(empty, notes, gates, 0.0f, {});
    gates[0] = 1.0f;
    layer.tick(empty, notes, gates, 0.0f, {});
    EXPECT_NEAR(layer.reader(0).getPosition(), before + 32 * layer.reader(0).getIncrement(), 1e-2);
    EXPECT_TRUE(handler.getInstrument()->isInUse());
    handler.resetVoices();
    EXPECT_FALSE(handler.getInstrument()->isInUse());
}

// Notes take the layer's offset within 0..127; "Age" 0 adds nothing, "Age" 1
// moves every tick to a new random value within ±4 semitones.
TEST_F(VoiceLayerTest, NoteValuesTakeTheOffsetAndTheAgeDrift) {
    tick(50, 1.0f, 12.5f);
    EXPECT_EQ(layer.noteValues()[0], 62.5f);
    EXPECT_NEAR(layer.reader(0).getIncrement(), std::pow(2.0, 2.5 / 12), 2e-3);
    tick(120, 1.0f, 24.0f);
    EXPECT_EQ(layer.noteValues()[0], 127.0f);
    const AgeSetting full = AgeSetting::forLayer(1.0f);
    EXPECT_EQ(full.timeMs, 0.0f);
    EXPECT_EQ(full.depth, 4.0f);
    float previous = 0.0f, largest = 0.0f;
    for (int i = 0; i < 200; ++i) {
        tick(60, 1.0f, 0.0f, full);
        const float drift = layer.noteValues()[0] - 60.0f;
        EXPECT_NE(drift, previous);
        EXPECT_LE(std::fabs(drift), 4.0f);
        largest = std::max(largest, std::fabs(drift));
        previous = drift;
        EXPECT_EQ(layer.clampedNotes()[0], 60.0f);
    }
    EXPECT_GT(largest, 3.5f);
}

}  // namespace
