#include "engine/BWRomplerHandler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "BWRomplerLibraryFixture.h"
#include "persistence/BWChunk.h"
#include "persistence/WriteObjectChunk.h"

namespace {

// A voice that binds to a zone's sample the way the engine's readers do.
class FakeVoice : public BWRomplerReaderBase {
public:
    ~FakeVoice() override { reset(); }
    void start(BWSampleZone* zone) {
        reset();
        if (!zone) return;
        bound = &zone->getSample();
        bound->attachVoice();
    }
    void reset() override {
        ++resets;
        if (bound) bound->detachVoice();
        bound = nullptr;
    }
    // What a render would read.
    int32_t sumOfValues() const {
        int32_t sum = 0;
        for (int32_t i = 0; bound && i < bound->getFrames(); ++i) sum += bound->getLeft()[i];
        return sum;
    }

    int resets = 0;
    BWSampleData* bound = nullptr;
};

std::vector<uint32_t> handlerWords(int32_t tag, int32_t version, const char* name) {
    std::vector<uint32_t> words = {uint32_t(tag), uint32_t(version), uint32_t(std::strlen(name))};
    const size_t textWords = (std::strlen(name) + 3) / 4;
    const size_t start = words.size();
    words.resize(start + textWords, 0);
    std::memcpy(words.data() + start, name, std::strlen(name));
    return words;
}

class Handler : public BWRomplerLibraryFixture {
protected:
    Handler() {
        writeInstrument(folder / "Bells.bwr", 3);
        writeInstrument(folder / "Organ.bwr", 2);
        writeText(folder / "Broken.bwr", "not an instrument at all");
    }

    int32_t countOf(const std::string& name) const {
        for (const InstrumentEntry& entry : library.getEntries())
            if (entry.name == name) return entry.refCount;
        return -1;
    }

    int32_t read(BWRomplerHandler& handler, std::vector<uint32_t> words, bool skipOnly = false) {
        BWChunk chunk(words.data(), uint32_t(words.size() * 4));
        const int32_t result = handler.readChunk(&chunk, skipOnly);
        EXPECT_EQ(chunk.getPosition(), words.size());
        return result;
    }

    // The handler's words after the chunk header.
    static std::vector<uint32_t> saved(BWRomplerHandler& handler) {
        BWChunk chunk;
        EXPECT_TRUE(writeObjectChunk(&handler, &chunk));
        const auto* words = static_cast<const uint32_t*>(chunk.getWords());
        return {words + BWChunk::kHeaderWords, words + chunk.getCapacityWords()};
    }

    BWRomplerLibrary library{SettingNames::kInstrumentsPath};
};

TEST_F(Handler, ItsChunkNamesTheInstrumentAndLoadsItBack) {
    BWRomplerHandler original(&library);
    EXPECT_STREQ(original.getName(), "Empty");
    ASSERT_TRUE(original.loadInstrument("Bells", false));  // scans the empty library first
    EXPECT_STREQ(original.getName(), "Bells");

    const std::vector<uint32_t> body = saved(original);
    EXPECT_EQ(body, handlerWords(99887789, 1, "Bells"));

    FakeVoice voices[2];
    auto loaded = std::make_unique<BWRomplerHandler>(&library);
    for (FakeVoice& voice : voices) loaded->addVoice(&voice);
    EXPECT_EQ(read(*loaded, body), 1);
    EXPECT_STREQ(loaded->getName(), "Bells");
    EXPECT_EQ(loaded->getInstrument(), original.getInstrument());
    EXPECT_EQ(countOf("Bells"), 2);
    EXPECT_EQ(voices[0].resets + voices[1].resets, 2);
    EXPECT_EQ(saved(*loaded), body);
    loaded.reset();  // its destructor lets go of the instrument
    EXPECT_EQ(countOf("Bells"), 1);

    // Another tag or version reads the same; a skip consumes the words only.
    BWRomplerHandler other(&library);
    EXPECT_EQ(read(other, handlerWords(5, 77, "Organ"), true), 0);
    EXPECT_EQ(other.getInstrument(), nullptr);
    EXPECT_EQ(read(other, handlerWords(5, 77, "Organ")), 1);
    EXPECT_STREQ(other.getName(), "Organ");

    // No name: nothing changes.
    EXPECT_EQ(read(other, {99887789, 1, 0}), 1);
    EXPECT_STREQ(other.getName(), "Organ");
    EXPECT_EQ(BWRomplerHandler().getLibrary(), &globalRomplerLibrary());
}

// The menu's choice of a file that cannot be loaded keeps what the layer
// played; a state that names one makes the layer silent under that name (a
// save names it again), as a state that names an instrument nobody has
// makes it "Empty".
TEST_F(Handler, ABrokenFileKeepsTheMenusPreviousInstrumentAndSilencesAStatesLayer) {
    FakeVoice voice;
    BWRomplerHandler handler(&library);
    handler.addVoice(&voice);
    ASSERT_TRUE(handler.loadInstrument("Bells", false));
    BWRompler* bells = handler.getInstrument();
    const std::string refusal = "loading ROM file from " + folder.string() + "/Broken.bwr failed";

    EXPECT_FALSE(handler.loadInstrument("Broken", false));
    EXPECT_EQ(handler.getInstrument(), bells);
    EXPECT_STREQ(handler.getName(), "Bells");
    EXPECT_EQ(countOf("Bells"), 1);
    EXPECT_EQ(handler.getTableZone(25, 0), bells->getZones()[2].get());
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_EQ(messages.texts().back(), refusal);
    const size_t toldOnce = messages.texts().size();  // the header's complaint first

    EXPECT_EQ(read(handler, handlerWords(99887789, 1, "Broken")), 0);
    EXPECT_EQ(handler.getInstrument(), nullptr);
    EXPECT_STREQ(handler.getName(), "Broken");
    EXPECT_EQ(countOf("Bells"), 0) << "the layer let go of what it played";
    EXPECT_EQ(handler.getTableZone(25, 0), nullptr);
    EXPECT_EQ(BWRomplerHandler::ZoneAccess(handler).zoneFor(25, 0), nullptr);
    EXPECT_EQ(messages.texts().size(), 2 * toldOnce);
    EXPECT_EQ(messages.texts().back(), refusal);
    EXPECT_EQ(saved(handler), handlerWords(99887789, 1, "Broken"));
    BWRomplerHandler::MissingInstrument missing = handler.takeMissingInstrument();
    EXPECT_EQ(missing.name, "Broken");
    EXPECT_TRUE(missing.unreadable);
    EXPECT_TRUE(handler.takeMissingInstrument().name.empty()) << "taken once";

    EXPECT_EQ(read(handler, handlerWords(99887789, 1, "Bells")), 1);
    EXPECT_EQ(read(handler, handlerWords(99887789, 1, "Nowhere")), 0);
    EXPECT_STREQ(handler.getName(), "Empty");
    EXPECT_EQ(handler.getInstrument(), nullptr);
    for (int32_t key = 0; key < 128; ++key) EXPECT_EQ(handler.getTableZone(key, 0), nullptr);
    missing = handler.takeMissingInstrument();
    EXPECT_EQ(missing.name, "Nowhere");
    EXPECT_FALSE(missing.unreadable);
    // The previous instrument waits for the purge that follows a state load.
    EXPECT_EQ(library.pendingCount(), 1u);
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);
    EXPECT_EQ(saved(handler), handlerWords(99887789, 1, "Empty"));
}

TEST_F(Handler, ZoneLookupsByKeyAloneOrByKeyAndLayer) {
    // Two zones that both hold key 60 on layer 100.
    BWRompler overlapping;
    BWSampleZone* wide = overlapping.addZone();
    wide->setKeyRange(0, 127);
    wide->setLayerRange(0, 127);
    BWSampleZone* narrow = overlapping.addZone();
    narrow->setKeyRange(60, 61);
    narrow->setLayerRange(100, 127);
    const int16_t values[] = {1, 2};
    for (BWSampleZone* zone : {wide, narrow}) {
        ASSERT_TRUE(zone->getSample().setData(values, nullptr, 2, 44100.0f));
        zone->getSample().setEmbedData(true);
    }
    ASSERT_TRUE(overlapping.saveFile((folder / "Layers.bwr").c_str()));

    BWRomplerHandler handler(&library);
    ASSERT_TRUE(handler.loadInstrument("Layers", false));
    BWRompler* instrument = handler.getInstrument();
    wide = instrument->getZones()[0].get();
    narrow = instrument->getZones()[1].get();

    // Key-only table: column 0 of each row; the voices search key and layer.
    EXPECT_EQ(handler.getTableZone(60, 0), wide);
    EXPECT_EQ(handler.getTableZone(60, 100), nullptr);
    {
        BWRomplerHandler::ZoneAccess access(handler);
        ASSERT_TRUE(access);
        EXPECT_EQ(access.zoneFor(60, 100), wide);  // the earlier zone wins
        EXPECT_EQ(access.zoneFor(128, 0), nullptr);
        EXPECT_EQ(access.zoneFor(60, -1), nullptr);
    }

    // The full table: the later zone wins.  Loading the same name again
    // rebuilds the table without counting the instrument twice.
    handler.setUseLayerTable(true);
    ASSERT_TRUE(handler.loadInstrument("Layers", false));
    EXPECT_EQ(handler.getInstrument(), instrument);
    EXPECT_EQ(countOf("Layers"), 1);
    EXPECT_EQ(handler.getTableZone(60, 100), narrow);
    EXPECT_EQ(handler.getTableZone(60, 99), wide);
    EXPECT_EQ(handler.getTableZone(62, 100), wide);
    BWRomplerHandler::ZoneAccess access(handler);
    EXPECT_EQ(access.zoneFor(61, 127), narrow);
    EXPECT_EQ(access.zoneFor(5, 127), wide);
}

TEST_F(Handler, VoicesStillPlayingTheOldInstrumentKeepItUntilTheyAreReset) {
    FakeVoice voice;
    BWRomplerHandler handler(&library);
    handler.addVoice(&voice);
    ASSERT_TRUE(handler.loadInstrument("Bells", false));
    {
        BWRomplerHandler::ZoneAccess access(handler);
        voice.start(access.zoneFor(15, 1));
    }
    ASSERT_NE(voice.bound, nullptr);
    const int32_t before = voice.sumOfValues();

    ASSERT_TRUE(handler.loadInstrument("Organ", false));
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 1u);
    EXPECT_EQ(voice.sumOfValues(), before);

    handler.resetVoices();
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);

    // deleteNow purges at once once nothing plays the old instrument.
    ASSERT_TRUE(handler.loadInstrument("Bells", true));
    EXPECT_EQ(library.pendingCount(), 0u);
}

// The audio thread starts voices and reads their samples while the host
// thread switches the layer back and forth and purges; under the address
// sanitizer a sample freed too early shows up as a fault.
TEST_F(Handler, SwitchingWhileTheAudioThreadPlaysNeverFreesAPlayingSample) {
    FakeVoice voice;
    BWRomplerHandler handler(&library);
    handler.addVoice(&voice);
    ASSERT_TRUE(handler.loadInstrument("Bells", false));

    std::atomic<bool> running{true};
    std::atomic<int32_t> starts{0};
    std::thread audio([&] {
        int32_t key = 0;
        while (running.load()) {
            {
                BWRomplerHandler::ZoneAccess access(handler);
                if (access) {
                    BWSampleZone* zone = access.zoneFor(key, 1);
                    if (zone) {
                        voice.start(zone);
                        starts.fetch_add(1);
                    }
                }
            }
            EXPECT_NE(voice.sumOfValues(), 1 << 30);
            key = (key + 7) % 128;
        }
    });
    for (int i = 0; i < 200 || starts.load() < 50; ++i) {
        handler.loadInstrument(i % 2 ? "Bells" : "Organ", false);
        library.purgeReleased();
    }
    running.store(false);
    audio.join();

    handler.resetVoices();
    library.purgeReleased();
    EXPECT_EQ(library.pendingCount(), 0u);
}

}  // namespace
