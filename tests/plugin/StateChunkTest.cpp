// The state chunk of a real instance: its words per preset kind, the older
// layouts it still reads, the chunks it refuses (changing nothing), round
// trips between instances and through preset files, and undo.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <fstream>
#include <functional>

#include "support/InstanceTestSupport.h"
#include "StateTestSupport.h"
#include "persistence/Settings.h"
#include "plugin/StateBody.h"
#include "support/MessageCapture.h"

namespace {

int32_t tagOf(int32_t id) { return findBindingById(id)->tag; }

std::vector<uint32_t> nameWords(const std::string& name) {
    WordWriter w;
    w.text(name);
    return w.words;
}

std::vector<uint32_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

}  // namespace

TEST_F(InstanceTest, EachKindWritesItsMembersAndTailWordForWord) {
    const int32_t members[] = {154, 88, 47, 0};
    for (int32_t kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        const std::vector<uint32_t> w = stateWords(*instance, kind);
        ASSERT_GT(w.size(), 9u);
        EXPECT_EQ(w[0], w.size());
        EXPECT_EQ(std::vector<uint32_t>(w.begin() + 1, w.begin() + 9),
                  (std::vector<uint32_t>{9, 0x42F00000, 0x472C4400, 26101977, 5, 1, 9, 290908}));
        // Bindings in member-list order; each object record is as long as its count says.
        size_t at = 9;
        const auto list = instance->presetMembers(kind);
        ASSERT_EQ(list.size(), size_t(members[kind]));
        for (const ParamBinding* binding : list) {
            ASSERT_EQ(int32_t(w[at]), binding->id);
            if (!binding->object) {
                EXPECT_EQ(w[at + 1], 1u);
                EXPECT_EQ(std::bit_cast<float>(w[at + 2]), *binding->value) << binding->name;
            }
            at += 2 + w[at + 1];
        }
        std::vector<uint32_t> tail = {uint32_t(-1)};
        const std::vector<uint32_t> name = nameWords("default");
        if (kind == 0) {
            tail.insert(tail.end(), {uint32_t(-3), 4});
            for (int i = 0; i < 4; ++i) tail.insert(tail.end(), name.begin(), name.end());
            tail.insert(tail.end(), {22, 0, 0, 0, uint32_t(-4), 0, 0, 2620001});
        } else {
            tail.insert(tail.end(), name.begin(), name.end());
            tail.insert(tail.end(), {22, 0, 0, 2620001});
        }
        EXPECT_EQ(std::vector<uint32_t>(w.begin() + long(at), w.end()), tail);
    }
    EXPECT_EQ(stateWords(*instance, 3).size(), 17u);
    instance->setPresetName(3, "");
    EXPECT_EQ(stateWords(*instance, 3),
              (std::vector<uint32_t>{15, 9, 0x42F00000, 0x472C4400, 26101977, 5, 1, 9, 290908, uint32_t(-1), 0, 22,
                                     0, 0, 2620001}));
}

// Older writers: one-word learn entries (body version 2), tail versions
// 10 to 22 with their optional parts, and the words a reader steps over.
TEST_F(InstanceTest, OlderLayoutsLoadWithTheirOptionalParts) {
    struct Case {
        int32_t version, tail;
        bool oldBlock;
    } cases[] = {{2, 10, false}, {2, 13, false}, {3, 14, false}, {9, 15, false}, {9, 16, false},
                 {9, 19, false}, {5, 20, false}, {9, 21, false}, {9, 22, false}, {9, 22, true}};
    const int32_t reso = tagOf(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "V " << c.version << " T " << c.tail << " block " << c.oldBlock);
        WordWriter w = WordWriter::header();
        w.put(5).put(1).put(c.version).put(290908);
        w.put(7).put(1).real(0.25f + 0.01f * float(c.tail));  // "Filter Reso"
        w.put(9999).put(3).put(1).put(2).put(3);              // an id no list holds, skipped by its count
        w.put(-1);
        w.put(7).put(12);
        if (c.version >= 3) w.put(4);
        for (int32_t noTag : {65534, -7}) {  // name no parameter: dropped (65534 would save as the list's end)
            w.put(noTag);
            if (c.version >= 3) w.put(0);
        }
        w.put(-2).put(300).put(13);  // a controller outside 0..127: read and dropped
        if (c.version >= 3) w.put(0);
        w.put(-2).put(-3);
        w.put(4).text("a").text("b").text("c").text("d").put(c.tail);
        if (c.tail <= 22) w.put(3);
        if (c.tail >= 11) w.put(2);
        if (c.tail >= 14) {
            w.put(1).put(20);
            if (c.version >= 3) w.put(1);
            w.put(-4);
        }
        if (c.tail >= 15) w.put(0).put(0);
        if (c.oldBlock) w.put(66).put(5).put(670000);
        if (!c.oldBlock && c.tail >= 16 && c.tail <= 21) w.text("old");
        if (c.tail >= 20 || c.version >= 6) w.put(77).put(2620000).text("x").put(2620001);

        instance->learnMap().targets().clear();
        const int32_t program = instance->getProgram(), bank = instance->getCurrentBank();
        ASSERT_EQ(applyWords(*instance, w.done()), 1);
        EXPECT_FLOAT_EQ(instance->rawValue(reso), 0.25f + 0.01f * float(c.tail));
        EXPECT_EQ(instance->learnMap().controller(7),
                  (std::vector<LearnEntry>{{12, int16_t(c.version >= 3 ? 4 : 0)}}));
        EXPECT_TRUE(instance->learnMap().controller(300 & 127).empty());
        for (int32_t kind = 0; kind < 4; ++kind) EXPECT_EQ(instance->presetName(kind), std::string(1, char('a' + kind)));
        EXPECT_EQ(instance->getProgram(), c.tail >= 13 ? 3 : program);
        EXPECT_EQ(instance->getCurrentBank(), c.tail >= 13 ? 2 : bank);
        EXPECT_EQ(instance->learnMap().targets().size(), c.tail >= 14 ? 1u : 0u);
    }
}

// Every refusal names itself and leaves the whole state as it was, even
// when the bindings before the fault were sound.
TEST_F(InstanceTest, RefusedChunksChangeNothingAndSayWhy) {
    set(tagOf(7), 0.9f);
    instance->learnMap().controller(1).push_back({5, 0});
    const std::vector<uint32_t> source = chunkWords(*instance);
    set(tagOf(7), 0.1f);
    instance->learnMap().controller(1).clear();
    const std::vector<uint32_t> before = chunkWords(*instance);
    const size_t n = source.size();

    const std::string format = "\t This is no valid Zorvane format!", ours = "This is not a Zorvane file";
    struct Case {
        const char* what;
        std::function<void(std::vector<uint32_t>&)> mutate;
        std::string message;
    } cases[] = {
        {"format word", [](auto& w) { w[4] = 26453978; }, format},
        {"length beyond the bytes", [](auto& w) { w[0] += 1; }, format},
        {"second body word", [](auto& w) { w[6] = 2; }, "wrong plugin version"},
        {"body version 0", [](auto& w) { w[7] = 0; }, ours},
        {"marker", [](auto& w) { w[8] = 290909; }, ours},
        {"count 0", [](auto& w) { w[10] = 0; }, ours},
        {"count beyond the data", [](auto& w) { w[10] = 0x7FFFFFFF; }, ours},
        {"learn targets beyond the data", [n](auto& w) { w[n - 5] = 1000; }, ours},
        {"cut short", [](auto& w) { w.resize(w.size() - 3), w[0] = uint32_t(w.size()); }, ours},
        {"object record that runs past the data", [&](auto& w) {  // the first layer's name
             for (size_t at = 9; int32_t(w[at]) != -1; at += 2 + w[at + 1])
                 if (w[at] == 15) w[at + 2] = 0, w[at + 3] = 0, w[at + 4] = 0x7FFFFFF0;
         }, ours},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> words = source;
        c.mutate(words);
        MessageCapture boxes;
        BWChunk chunk(words.data(), uint32_t(words.size() * 4));
        EXPECT_FALSE(instance->loadPresetFile(&chunk, 0, true, false, false, false));
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(chunkWords(*instance), before);
        boxes.clear();
        EXPECT_EQ(applyWords(*instance, words), 0) << "the host hears of the refusal";
        EXPECT_TRUE(boxes.texts().empty()) << "no box during a host restore";
        EXPECT_EQ(chunkWords(*instance), before);
    }
    EXPECT_EQ(instance->setChunk(nullptr, 100, false), 0);
    EXPECT_EQ(applyWords(*instance, source), 1);
    EXPECT_EQ(chunkWords(*instance), source);
}

TEST_F(InstanceTest, AStateMovesToAnotherInstanceAndThroughAPresetFileUnchanged) {
    for (int32_t tag : {0, 4, 21, 40, 62, tagOf(7)}) set(tag, 0.123f + 0.01f * float(tag % 7));
    set(200, 0.5f);
    models.chordTable.setValueOnPage(3, 2, 0.75f);
    instance->learnMap().controller(74).push_back({12, 3});
    instance->learnMap().targets().push_back({9, 1});
    instance->setPresetName(1, "Sound A");
    const std::vector<uint32_t> a = chunkWords(*instance);

    auto b = makeInstance();
    ASSERT_EQ(applyWords(*b, a), 1);
    EXPECT_EQ(chunkWords(*b), a);

    // A preset file loads without force: both instances keep the same
    // remembered "Chord Select", so the files match too.
    const std::filesystem::path folder = sandbox.documents();
    for (const char* sub : {"X", "Y", "Z"}) std::filesystem::create_directories(folder / sub);
    ASSERT_TRUE(instance->savePreset((folder / "X/p.zvp").c_str(), 0, nullptr, nullptr, nullptr));
    ASSERT_TRUE(instance->savePreset((folder / "Y/p.zvp").c_str(), 0, nullptr, nullptr, nullptr));
    auto c = makeInstance();
    ASSERT_TRUE(c->loadPresetFromFile((folder / "Y/p.zvp").c_str(), 0));
    EXPECT_EQ(c->presetName(0), "p");
    EXPECT_EQ(c->bankName(0), "Y");
    ASSERT_TRUE(c->savePreset((folder / "Z/p.zvp").c_str(), 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(fileBytes(folder / "Z/p.zvp"), fileBytes(folder / "Y/p.zvp"));

    // A file of a newer program version is refused with its message, which
    // names the file.
    std::vector<uint32_t> newer = fileBytes(folder / "Y/p.zvp");
    newer[1] = 10;
    std::ofstream(folder / "newer.zvp", std::ios::binary).write(reinterpret_cast<const char*>(newer.data()),
                                                                 std::streamsize(newer.size() * 4));
    MessageCapture boxes;
    EXPECT_FALSE(c->loadPresetFromFile((folder / "newer.zvp").c_str(), 0));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"preset was written with a newer version of Zorvane\n" +
                                                      (folder / "newer.zvp").string()});
}

TEST_F(InstanceTest, UndoAndRedoWalkWholeStateAndObjectSteps) {
    BWUndoManager& undo = instance->getUndoManager();
    const int32_t reso = tagOf(7);
    set(reso, 0.2f);
    undo.storeParameter(reso);
    set(reso, 0.8f);
    undo.storeObjectState(&models.chordTable);
    models.chordTable.setValueOnPage(1, 0, 0.5f);
    const float edited = models.chordTable.getValueOnPage(1, 0);

    instance->undo();  // the table only
    EXPECT_NE(models.chordTable.getValueOnPage(1, 0), edited);
    EXPECT_FLOAT_EQ(instance->rawValue(reso), 0.8f);
    instance->undo();  // the whole state
    EXPECT_FLOAT_EQ(instance->rawValue(reso), 0.2f);
    EXPECT_EQ(undo.getCurrentIndex(), 0u);
    instance->redo();
    instance->redo();
    EXPECT_FLOAT_EQ(instance->rawValue(reso), 0.8f);
    EXPECT_FLOAT_EQ(models.chordTable.getValueOnPage(1, 0), edited);
    EXPECT_EQ(undo.getCurrentIndex(), 2u);
}

// What a value sets when the engine takes it is saved with it, also when the
// save follows the store at once: with no audio running the save lets the
// engine take it.  "Chord Select" on the held notes sets the pattern octave.
TEST_F(InstanceTest, ASaveRightAfterAStoreHoldsWhatTheStoreSets) {
    const float octaveBefore = instance->rawValue(Tag::PatternOctave);
    instance->setParameter(Tag::ChordSelect, 1.0f);
    EXPECT_EQ(instance->rawValue(Tag::PatternOctave), octaveBefore) << "nothing derived yet";
    const std::vector<uint32_t> words = chunkWords(*instance);
    EXPECT_NE(instance->rawValue(Tag::PatternOctave), octaveBefore);
    const uint32_t stored = std::bit_cast<uint32_t>(instance->rawValue(Tag::PatternOctave));
    EXPECT_NE(std::find(words.begin(), words.end(), stored), words.end());
    EXPECT_EQ(state.sequencer.chordMode.stepIndex, 2);
}
