// The host adapter driven in-process through the host stand-in's library:
// the description is registered straight from the AAX layer, so the tests
// can look at the adapter and its core behind the host interfaces.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "aax/BWAAXDescription.h"
#include "aax/BWAAXWrapperCustomView.h"
#include "aax/BWAAXWrapperParameters.h"
#include "aax/CACFUnknown.h"
#include "aax/HostServices.h"
#include "core/AEffEditor.h"
#include "core/AEffect.h"
#include "core/VstOpcodes.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "host/HostPageTable.h"
#include "host/demo/DensePatch.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"
#include "plugin/EditorFactory.h"
#include "plugin/ParameterTags.h"
#include "persistence/BWChunk.h"
#include "support/RunLength.h"
#include "support/SettingsSandbox.h"
#include "RegisteredEffect.h"

namespace {

}  // namespace

const HostEffectDescriptor& registeredEffect() {
    static HostRegistrar* registrar = [] {
        auto* made = new HostRegistrar();
        IACFUnknown* definition = nullptr;
        EXPECT_EQ(AAXRegisterPlugin(made->unknown(), &definition), AAX_SUCCESS);
        if (definition) definition->Release();
        return made;
    }();
    return *registrar->effect();
}

namespace {

struct Adapter {
    explicit Adapter(int channels = 2) : host(registeredEffect(), channels, 48000.0f) {}
    HostInstance host;
    BWAAXWrapperParameters* adapter = dynamic_cast<BWAAXWrapperParameters*>(host.effect());
    AEffect* effect() const { return adapter->getEffect(); }
    intptr_t call(int32_t opcode, int32_t index = 0, void* ptr = nullptr, float opt = 0) {
        return hostCallback(effect(), opcode, index, 0, ptr, opt);
    }
};

// A VST2 event list of n events on the heap.
struct EventList {
    explicit EventList(std::vector<VstMidiEvent> list) : events(std::move(list)) {
        bytes.resize(sizeof(VstEvents) + events.size() * sizeof(VstEvent*));
        auto* header = reinterpret_cast<VstEvents*>(bytes.data());
        header->numEvents = int32_t(events.size());
        for (size_t i = 0; i < events.size(); ++i) header->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
    }
    VstEvents* get() { return reinterpret_cast<VstEvents*>(bytes.data()); }
    std::vector<VstMidiEvent> events;
    std::vector<uint8_t> bytes;
};

VstMidiEvent midi(int32_t type, int32_t delta, uint8_t status, uint8_t data1) {
    VstMidiEvent event{};
    event.type = type;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = delta;
    event.midiData[0] = char(status);
    event.midiData[1] = char(data1);
    event.midiData[2] = 99;
    return event;
}

}  // namespace

TEST(Adapter, HostCallbackAnswersTheCoreAsTheHostItRecognises) {
    Adapter a;
    AEffect stranger{};
    EXPECT_EQ(hostCallback(&stranger, HostOpcode::Version, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(hostCallback(nullptr, HostOpcode::Version, 0, 0, nullptr, 0), 0);
    char text[64] = {};
    EXPECT_EQ(a.call(HostOpcode::Version), 2);
    EXPECT_EQ(a.call(HostOpcode::GetVendorString, 0, text), 1);
    EXPECT_STREQ(text, "Avid");
    EXPECT_EQ(a.call(HostOpcode::GetProductString, 0, text), 1);
    EXPECT_STREQ(text, "Pro Tools");
    const struct {
        const char* text;
        intptr_t answer;
    } canDo[] = {{"sendVstMidiEvent", 1}, {"receiveVstMidiEvent", 1}, {"sizeWindow", 1}, {"sendVstEvents", 0}, {"", 0}};
    for (const auto& row : canDo) EXPECT_EQ(a.call(HostOpcode::CanDo, 0, const_cast<char*>(row.text)), row.answer) << row.text;
    // Requests without their pointer are refused, never followed.
    for (int32_t opcode : {HostOpcode::GetVendorString, HostOpcode::GetProductString, HostOpcode::CanDo, HostOpcode::ProcessEvents})
        EXPECT_EQ(a.call(opcode), 0) << opcode;
    EXPECT_EQ(a.call(HostOpcode::GetSampleRate), 48000);
    EXPECT_EQ(a.call(45), 0);
    EXPECT_EQ(a.call(1234567), 0);
    EXPECT_EQ(a.call(HostOpcode::SizeWindow), 0);  // no view yet
}

TEST(Adapter, TimeInfoFollowsTheTransport) {
    Adapter a;
    const struct {
        int64_t tick;
        uint32_t perQuarter;
        bool looping;
        bool playing;
        double ppq;
        int32_t flagsSet, flagsClear;
    } rows[] = {
        {0, 960000, true, true, 0.0, 0x1006, 0},
        {1920000, 960000, false, true, 2.0, 0x1002, 0x4},
        {5000, 0, false, false, 0.0, 0x1000, 0x6},  // no ticks per quarter: position unknown
        {480, 960, true, false, 0.5, 0x1004, 0x2},
    };
    for (const auto& row : rows) {
        a.host.transport = {96.0, 3, 8, row.playing, row.tick, row.perQuarter, row.looping, 960000, 3840000};
        auto* info = reinterpret_cast<VstTimeInfo*>(a.call(HostOpcode::GetTime));
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->ppqPos, row.ppq) << row.tick;
        EXPECT_EQ(info->tempo, 96.0);
        EXPECT_EQ(info->timeSigNumerator, 3);
        EXPECT_EQ(info->timeSigDenominator, 8);
        EXPECT_EQ(info->cycleStartPos, 1.0);
        EXPECT_EQ(info->cycleEndPos, 4.0);
        EXPECT_EQ(info->flags & row.flagsSet, row.flagsSet) << row.tick;
        EXPECT_EQ(info->flags & row.flagsClear, 0) << row.tick;
        EXPECT_EQ(info->sampleRate, 48000.0);
    }
}

TEST(Adapter, ParametersTravelBothWaysAndIdentifiersAreParsedStrictly) {
    Adapter a;
    BWUniClient* core = a.adapter->getCore();
    // Host to core.
    ASSERT_TRUE(a.host.setParameter("12", 0.75));
    EXPECT_FLOAT_EQ(core->getParameter(Tag::Osc1Age), 0.75f);
    ASSERT_TRUE(a.host.setParameter("MasterBypassID", 1.0));
    EXPECT_TRUE(core->isBypassed());
    a.host.setParameter("MasterBypassID", 0.0);
    EXPECT_FALSE(core->isBypassed());
    // Core to host: an edit is a touch, a set-value request that the host
    // applies back, and a release.
    a.host.automationLog.clear();
    a.call(HostOpcode::BeginEdit, 57);
    a.call(HostOpcode::Automate, 57, nullptr, 0.25f);
    a.call(HostOpcode::EndEdit, 57);
    EXPECT_EQ(a.host.parameter("57"), 0.25);
    EXPECT_FLOAT_EQ(core->getParameter(Tag::RvsMix), 0.25f);
    const std::vector<std::string> expected = {"touch 57", "touch 57", "set 57 0.25", "release 57", "release 57"};
    EXPECT_EQ(a.host.automationLog, expected);
    // Anything but a whole number of a core parameter is refused before the core.
    const float before = core->getParameter(Tag::MasterLevel);
    for (const char* id : {"12abc", "87", "-1", "", "1.5", " 3", "0x1", "99999999999"}) {
        EXPECT_EQ(a.adapter->UpdateParameterNormalizedValue(id, 0.01, 0), AAX_ERROR_INVALID_PARAMETER_ID) << id;
    }
    EXPECT_EQ(core->getParameter(Tag::MasterLevel), before);
}

TEST(Adapter, RefreshedParametersStartFromTheCoreAndTheBypassKeepsItsState) {
    Adapter a;
    int32_t count = 0;
    a.host.effect()->GetNumberOfParameters(&count);
    EXPECT_EQ(count, 88);
    a.host.setParameter("MasterBypassID", 1.0);
    a.adapter->getCore()->setParameter(Tag::KickLevel, 0.125f);
    a.adapter->getCore()->setParameter(Tag::KickToSidechain, 0.75f);  // a switch
    EXPECT_NE(a.host.parameter("3"), 0.125);
    // Other host threads may hold the objects: they are updated, never remade.
    std::vector<AAX_IParameter*> objects;
    for (const char* id : {"MasterBypassID", "0", "3", "5", "86"}) {
        AAX_IParameter* parameter = nullptr;
        a.host.effect()->GetParameter(id, &parameter);
        objects.push_back(parameter);
    }
    a.call(HostOpcode::UpdateDisplay);
    EXPECT_TRUE(a.adapter->rebuildRequested());
    EXPECT_EQ(a.host.effect()->TimerWakeup(), AAX_SUCCESS);
    EXPECT_FALSE(a.adapter->rebuildRequested());
    size_t at = 0;
    for (const char* id : {"MasterBypassID", "0", "3", "5", "86"}) {
        AAX_IParameter* parameter = nullptr;
        a.host.effect()->GetParameter(id, &parameter);
        EXPECT_EQ(parameter, objects[at++]) << id;
    }
    double defaultValue = 0;
    a.host.effect()->GetParameterDefaultNormalizedValue("3", &defaultValue);
    EXPECT_FLOAT_EQ(float(a.host.parameter("3")), 0.125f);
    EXPECT_FLOAT_EQ(float(defaultValue), 0.125f);
    EXPECT_EQ(a.host.parameter("5"), 1.0);
    EXPECT_EQ(a.host.parameterText("5"), "On");
    EXPECT_EQ(a.host.parameter("MasterBypassID"), 1.0);
    EXPECT_EQ(a.host.registeredParameters, 88);  // the old objects unregistered
}

TEST(Adapter, ProcessSkipsAMissingInstanceAndShortBlocksAndPostsGeneratedNotes) {
    Adapter first, second;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> buffers[3][2];
    for (auto& pair : buffers)
        for (auto& buffer : pair) buffer.assign(64, nan);
    int32_t length = 64;
    auto* one = first.adapter;
    auto* two = second.adapter;
    BWAAXWrapperParameters* none = nullptr;
    float* out[3][2] = {{buffers[0][0].data(), buffers[0][1].data()}, {buffers[1][0].data(), buffers[1][1].data()}, {buffers[2][0].data(), buffers[2][1].data()}};
    AlgorithmContext contexts[3] = {{nullptr, nullptr, out[0], &length, nullptr, &first.host.midiOut, &one},
                                    {nullptr, nullptr, out[1], &length, nullptr, nullptr, &none},
                                    {nullptr, nullptr, out[2], &length, nullptr, nullptr, &two}};
    void* const range[3] = {&contexts[0], &contexts[1], &contexts[2]};

    // Notes the core hands the host: MIDI events only, posted at the end of
    // the next process call with four bytes and their offsets.
    EventList sysexOnly({midi(6, 0, 0xF0, 0)});
    EXPECT_EQ(first.call(HostOpcode::ProcessEvents, 0, sysexOnly.get()), 0);
    EventList mixed({midi(1, 5, 0x90, 60), midi(6, 9, 0xF0, 0), midi(1, 17, 0x80, 60)});
    EXPECT_EQ(first.call(HostOpcode::ProcessEvents, 0, mixed.get()), 1);

    AlgorithmProcess_Stereo(range, range + 3);
    for (int c = 0; c < 3; ++c)
        for (const auto& buffer : buffers[c])
            for (float sample : buffer) ASSERT_TRUE(std::isfinite(sample)) << "context " << c;
    ASSERT_EQ(first.host.midiOut.posted.size(), 2u);
    EXPECT_EQ(first.host.midiOut.posted[0].mTimestamp, 5u);
    EXPECT_EQ(first.host.midiOut.posted[0].mLength, 4u);
    EXPECT_EQ(first.host.midiOut.posted[0].mData[0], 0x90);
    EXPECT_EQ(first.host.midiOut.posted[0].mData[2], 99);
    EXPECT_EQ(first.host.midiOut.posted[1].mTimestamp, 17u);

    // A full hand-off drops the surplus; blocks of no length change nothing.
    std::vector<VstMidiEvent> many(300, midi(1, 0, 0x90, 64));
    EventList flood(many);
    EXPECT_EQ(first.call(HostOpcode::ProcessEvents, 0, flood.get()), 1);
    for (int32_t bad : {0, -5}) {
        length = bad;
        for (auto& buffer : buffers[0]) buffer.assign(64, 7.0f);
        AlgorithmProcess_Stereo(range, range + 1);
        EXPECT_EQ(buffers[0][0][0], 7.0f);
    }
    length = 64;
    first.host.midiOut.posted.clear();
    AlgorithmProcess_Stereo(range, range + 1);
    EXPECT_EQ(first.host.midiOut.posted.size(), 256u);
}

// A host may pass MIDI with a buffer of no samples; the note-offs in it
// still release their notes, and the outputs stay as they were.
TEST(Adapter, NoteOffsInABlockOfNoSamplesReleaseTheirNotes) {
    Adapter a;
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    const BWSystemInfo& engine = *a.adapter->getCore()->getSystemInfo();
    a.host.queueMidi(0, 0x90, 60, 100);
    a.host.queueMidi(0, 0x90, 64, 100);
    a.host.runBlock(outputs, 256);
    EXPECT_GT(float(engine.lastVelocity), 0.0f);
    left.assign(256, 7.0f);
    a.host.queueMidi(0, 0x80, 60, 0);
    a.host.queueMidi(3, 0x90, 64, 0);  // a note-on of velocity 0 is a note-off too
    a.host.runBlock(outputs, 0);
    EXPECT_EQ(left[0], 7.0f);
    a.host.runBlock(outputs, 256);
    EXPECT_EQ(float(engine.lastVelocity), 0.0f);
}

// A host buffer with more events than one hand-off to the core holds (256)
// passes them all, in order, with and without samples: the note-offs at
// its end release their notes.
TEST(Adapter, EveryEventOfADenseBufferReachesTheCore) {
    Adapter a;
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    const BWSystemInfo& engine = *a.adapter->getCore()->getSystemInfo();
    for (int32_t frames : {256, 0}) {
        SCOPED_TRACE(frames);
        a.host.queueMidi(0, 0x90, 60, 100);
        a.host.runBlock(outputs, 256);
        ASSERT_GT(float(engine.lastVelocity), 0.0f);
        for (int i = 0; i < 600; ++i) a.host.queueMidi(uint32_t(i % 200), 0xE0, uint8_t(i & 0x7F), 64);
        a.host.queueMidi(200, 0x80, 60, 0);
        a.host.runBlock(outputs, frames);
        a.host.runBlock(outputs, 256);
        EXPECT_EQ(float(engine.lastVelocity), 0.0f);
    }
}

// Mono: the core renders into two channels of the adapter's own, summed into
// the host's one afterwards, so that the master gain and the DC blocker run
// once on each channel: the mono output is the stereo render's two channels
// added, for the patch that uses every stage.
TEST(Adapter, MonoIsTheSumOfTheStereoChannelsForTheDensePatch) {
    SettingsSandbox settings;
    TempDir content;
    std::string error;
    ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    Adapter mono(1), stereo(2);
    setSettingString(SettingNames::kInstrumentsPath, (content.path() / kFactoryInstrumentsFolder).string());
    globalRomplerLibrary().scan(true);
    for (Adapter* a : {&mono, &stereo}) {
        densePatch(*a->adapter->getCore(), true);
        a->adapter->getCore()->getSystemInfo()->randomState = 20061977u;
    }
    std::vector<float> sum(512), left(512), right(512);
    float* monoOut[1] = {sum.data()};
    float* stereoOut[2] = {left.data(), right.data()};
    float loudest = 0.0f, worst = 0.0f;
    for (int block = 0; block < 100; ++block) {
        mono.host.runBlock(monoOut, 512);
        stereo.host.runBlock(stereoOut, 512);
        for (size_t i = 0; i < sum.size(); ++i) {
            loudest = std::max(loudest, std::fabs(sum[i]));
            worst = std::max(worst, std::fabs(sum[i] - (left[i] + right[i])));
        }
    }
    EXPECT_GT(loudest, 0.05f);
    EXPECT_LE(worst, 1e-6f * loudest);
}

TEST(Adapter, LongerBlocksRunInPreparedSlicesWithTheirMidi) {
    Adapter a;
    std::vector<float> left(5000, 1.0f), right(5000, 1.0f);
    float* outputs[2] = {left.data(), right.data()};
    for (uint32_t offset : {0u, 1500u, 4999u}) a.host.queueMidi(offset, 0x90, 60, 100);
    a.host.runBlock(outputs, 5000);
    EXPECT_EQ(a.adapter->preparedBlockSize(), BWAAXWrapperParameters::kInitialBlockSize);
    for (float sample : left) ASSERT_TRUE(std::isfinite(sample));
}

TEST(Adapter, StateChunkIsCachedPerThreadAndRefusedBytesAreAnError) {
    Adapter a;
    constexpr uint32_t id = BWAAXWrapperParameters::kChunkID;
    uint32_t chunkID = 0;
    EXPECT_EQ(a.host.effect()->GetChunkIDFromIndex(5, &chunkID), AAX_SUCCESS);
    EXPECT_EQ(chunkID, id);
    std::vector<uint8_t> record(kChunkHeaderSize + (1 << 20));
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
    const int32_t room = 1 << 20;
    chunk->fSize = room;
    EXPECT_EQ(a.host.effect()->GetChunk(id, chunk), BWAAXWrapperParameters::kNothingCached);

    // Thread A asks the size, the state changes, thread B asks; each gets its own.
    uint32_t sizeA = 0, sizeB = 0;
    std::vector<uint8_t> bytesA, bytesB;
    std::thread([&] { a.host.effect()->GetChunkSize(id, &sizeA); }).join();
    a.host.setParameter("3", 0.3);
    a.host.effect()->GetChunkSize(id, &sizeB);
    std::thread([&] {
        chunk->fSize = 4;  // too little room: refused, and the bytes stay cached
        EXPECT_EQ(a.host.effect()->GetChunk(id, chunk), AAX_ERROR_INCORRECT_CHUNK_SIZE);
        chunk->fSize = room;
        ASSERT_EQ(a.host.effect()->GetChunk(id, chunk), AAX_SUCCESS);
        bytesA.assign(chunkData(chunk), chunkData(chunk) + chunk->fSize);
        chunk->fSize = room;
        EXPECT_EQ(a.host.effect()->GetChunk(id, chunk), BWAAXWrapperParameters::kNothingCached);
    }).join();
    chunk->fSize = room;
    ASSERT_EQ(a.host.effect()->GetChunk(id, chunk), AAX_SUCCESS);
    bytesB.assign(chunkData(chunk), chunkData(chunk) + chunk->fSize);
    EXPECT_EQ(bytesA.size(), sizeA);
    EXPECT_EQ(bytesB.size(), sizeB);
    EXPECT_NE(bytesA, bytesB);

    // Bytes the core refuses are reported, and the state stays as it was.
    const std::vector<uint8_t> before = a.host.saveState();
    std::vector<uint8_t> garbage(before.size(), 0x5A);
    EXPECT_EQ(a.host.loadState(garbage), AAX_ERROR_MALFORMED_CHUNK);
    EXPECT_EQ(a.host.loadState({}), AAX_ERROR_INCORRECT_CHUNK_SIZE);
    EXPECT_EQ(a.host.effect()->SetChunk(id, nullptr), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(a.host.saveState(), before);
    EXPECT_EQ(a.host.loadState(bytesA), AAX_SUCCESS);
    // Another chunk id is the base's own controls chunk.
    uint32_t controls = 0;
    EXPECT_EQ(a.host.effect()->GetChunkSize(kControlsChunkID, &controls), AAX_SUCCESS);
    EXPECT_GT(controls, 0u);
}

// A preset set under its kind's chunk id changes what a preset of that
// kind holds and leaves the rest (a sound or sequence preset), "Chord
// Select" always among it (a global and a sequence preset carry it), as the
// preset menus load them; bytes that are no preset, or none, are refused
// and change nothing.  The instance still reports the state chunk alone.
TEST(Adapter, PresetsSetAsChunksOfTheirKind) {
    const struct {
        HostInstance::PresetKind kind;
        int32_t kindNumber;
        const char* changed;  // a host parameter a preset of the kind holds
    } cases[] = {{HostInstance::PresetKind::Global, 0, "28"},
                 {HostInstance::PresetKind::Sound, 1, "28"},
                 {HostInstance::PresetKind::Sequence, 2, "77"}};
    for (const auto& c : cases) {
        SettingsSandbox settings;
        BWUniClient maker(nullptr, 1, false);
        maker.setParameter(std::stoi(c.changed), 0.25f);
        maker.setParameter(Tag::ChordSelect, 0.0f);
        maker.setParameter(Tag::MasterLevel, 0.125f);  // a global setting no such preset holds
        BWChunk chunk;
        ASSERT_TRUE(maker.saveStateToChunk(&chunk, c.kindNumber, nullptr));
        const auto* first = static_cast<const uint8_t*>(chunk.getWords());
        const std::vector<uint8_t> preset(first, first + size_t(chunk.getDataLength()) * 4);

        Adapter a;
        a.host.setParameter("74", 1.0);  // the player's "Chord Select"
        const double masterLevel = a.host.parameter("0");
        const std::vector<uint8_t> before = a.host.saveState();
        EXPECT_EQ(a.host.loadPreset(std::vector<uint8_t>(64, 0x5A), c.kind, "Garbage"), AAX_ERROR_MALFORMED_CHUNK);
        EXPECT_EQ(a.host.loadPreset({}, c.kind, "None"), AAX_ERROR_INCORRECT_CHUNK_SIZE);
        EXPECT_EQ(a.host.saveState(), before);

        ASSERT_EQ(a.host.loadPreset(preset, c.kind, "Part"), AAX_SUCCESS);
        EXPECT_NEAR(a.host.parameter(c.changed), 0.25, 1e-6) << c.kindNumber;
        EXPECT_EQ(a.host.parameter("74"), 1.0) << c.kindNumber;
        if (c.kindNumber != 0) {
            EXPECT_EQ(a.host.parameter("0"), masterLevel) << c.kindNumber;
        }
        int32_t chunks = 0;
        EXPECT_EQ(a.host.effect()->GetNumberOfChunks(&chunks), AAX_SUCCESS);
        EXPECT_EQ(chunks, 1);
    }
}

TEST(Adapter, CallsAfterUninitializeAnswerErrorsAndTeardownWithoutItIsClean) {
    const int32_t baseline = CACFUnknown::GetActiveObjectCount();
    {
        Adapter a;
        ASSERT_EQ(a.host.effect()->Uninitialize(), AAX_SUCCESS);
        EXPECT_EQ(a.adapter->getCore(), nullptr);
        uint32_t size = 0;
        EXPECT_EQ(a.host.effect()->GetChunkSize(BWAAXWrapperParameters::kChunkID, &size), AAX_ERROR_NOT_INITIALIZED);
        EXPECT_EQ(a.adapter->UpdateParameterNormalizedValue("3", 0.5, 0), AAX_ERROR_NOT_INITIALIZED);
        std::vector<float> left(32, 3.0f), right(32, 3.0f);
        float* outputs[2] = {left.data(), right.data()};
        a.host.runBlock(outputs, 32);
        EXPECT_EQ(left[0], 0.0f);
    }
    {
        // A host that releases without Uninitialize.
        IACFUnknown* made = BWAAXWrapperParameters::Create();
        ASSERT_NE(made, nullptr);
        made->AddRef();
        made->Release();
    }
    EXPECT_EQ(CACFUnknown::GetActiveObjectCount(), baseline);
}

namespace {

struct SizedEditor : AEffEditor {
    explicit SizedEditor(std::vector<std::string>& log_) : log(log_) {}
    bool getRect(ERect** out) override {
        *out = &rect;
        return true;
    }
    bool open(void* window) override {
        log.push_back(window ? "open" : "open(null)");
        return true;
    }
    void close() override { log.push_back("close"); }
    void idle() override { log.push_back("idle"); }
    ERect rect{0, 0, 697, 960};
    std::vector<std::string>& log;
};

std::vector<std::string>* editorLog = nullptr;
AEffEditor* makeSizedEditor(BWUniClient&, bool) { return new SizedEditor(*editorLog); }

}  // namespace

TEST(Adapter, TheViewOpensSizesAndIdlesTheCoreEditor) {
    {
        Adapter a;  // no editor: the view has nothing to show
        EXPECT_EQ(a.host.openView(nullptr), AAX_SUCCESS);
        EXPECT_EQ(a.host.viewTimer(), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ(a.call(HostOpcode::SizeWindow), 0);
        a.host.closeView();
    }
    {
        // The plug-in leaves the control-surface pages to the host.
        Adapter a;
        HostPageTable table;
        table.InsertPage(0);
        EXPECT_EQ(a.host.updatePageTable(fourCharID("PgTL"), 8, table), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_EQ(table.pages.size(), 1u);
        EXPECT_TRUE(table.pages[0].empty());
    }
    std::vector<std::string> log;
    editorLog = &log;
    setEditorFactory(&makeSizedEditor);
    {
        Adapter a;
        platform::HostWindow window;
        window.kind = platform::HostWindowKind::Headless;
        EXPECT_EQ(a.host.openView(&window), AAX_SUCCESS);
        EXPECT_EQ(a.call(HostOpcode::SizeWindow), 1);
        ASSERT_EQ(a.host.viewContainer.sizes.size(), 1u);
        EXPECT_EQ(a.host.viewContainer.sizes[0].vert, 697.0f);
        EXPECT_EQ(a.host.viewContainer.sizes[0].horz, 960.0f);
        a.call(HostOpcode::UpdateDisplay);
        EXPECT_EQ(a.host.viewTimer(), AAX_SUCCESS);
        EXPECT_FALSE(a.adapter->rebuildRequested());
        a.host.closeView();
        EXPECT_EQ(a.adapter->getView(), nullptr);
    }
    setEditorFactory(nullptr);
    // The core's own teardown may close its editor again afterwards.
    ASSERT_GE(log.size(), 3u);
    const std::vector<std::string> expected = {"open", "idle", "close"};
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3), expected);
}

TEST(Adapter, RegistrationFailuresBecomeCodesAndTraces) {
    HostRegistrar refusing;
    refusing.refuseDescriptors = true;
    hostServicesSet(refusing.unknown());
    IACFUnknown* definition = refusing.unknown();
    EXPECT_EQ(AAXRegisterPlugin(refusing.unknown(), &definition), AAX_ERROR_NULL_OBJECT);
    hostServicesSet(nullptr);
    ASSERT_EQ(refusing.traces.size(), 2u);  // the checked result's line, then the registration's
    EXPECT_EQ(refusing.traces[1], "0x8000000 AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)");
    EXPECT_TRUE(refusing.collection.effects.empty());
}

TEST(Adapter, TracesUnderWayOutliveTheShutDownOfTheHostServices) {
    HostRegistrar host;
    std::atomic<bool> stop{false};
    std::thread tracer([&] {
        while (!stop.load()) hostTrace(0x4000000, "busy");
    });
    for (int round = 0; round < 3000; ++round) {
        hostServicesSet(host.unknown());
        hostServicesSet(nullptr);
    }
    stop.store(true);
    tracer.join();
    EXPECT_EQ(hostServices(), nullptr);
}

// The plug-in hands the stand-in back objects by their bare interface; one
// the stand-in did not make is refused, never read as one of its own.
TEST(Adapter, TheHostStandInRefusesObjectsItDidNotMake) {
    HostRegistrar host;
    HostComponentDescriptor component;
    HostEffectDescriptor effect;
    IACFUnknown* foreign = host.collection.GetPlugInDefinition();
    const AAX_ProcessProc procedure = [](void* const[], const void*) {};
    EXPECT_EQ(component.AddProcessProc_Native(procedure, foreign, nullptr, nullptr, nullptr), AAX_SUCCESS);
    EXPECT_EQ(component.processProperties, nullptr);
    EXPECT_EQ(effect.SetProperties(foreign), AAX_SUCCESS);
    EXPECT_EQ(effect.properties, nullptr);
    EXPECT_EQ(effect.AddComponent(foreign), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(host.collection.AddEffect("com.brindlewick.aax.Zorvane", foreign), AAX_ERROR_NULL_ARGUMENT);
}

// What the engine sets itself (here a learned controller moving "Osc1 Pan")
// reaches the host's parameter at the host's idle, as the parameter's
// current value: no automation is asked for, and the saved state holds it.
TEST(Adapter, HostParametersFollowTheCoreAtIdleWithoutRecordingAutomation) {
    Adapter a;
    BWUniClient& core = *a.adapter->getCore();
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    core.learnMap().targets().push_back({18, 0});
    a.host.queueMidi(0, 0xB0, 7, 0);  // learns controller 7
    a.host.runBlock(outputs, 256);
    const double before = a.host.parameter("18");
    a.host.queueMidi(0, 0xB0, 7, 127);
    a.host.runBlock(outputs, 256);
    EXPECT_EQ(core.getParameter(Tag::Osc1Pan), 1.0f);
    EXPECT_EQ(a.host.parameter("18"), before) << "not before the idle";
    a.host.automationLog.clear();
    EXPECT_EQ(a.adapter->TimerWakeup(), AAX_SUCCESS);
    EXPECT_EQ(a.host.parameter("18"), 1.0);
    EXPECT_TRUE(a.host.automationLog.empty()) << a.host.automationLog.front();

    // With the host's processing stopped, an edit still reaches the engine
    // at the idle.
    a.host.setParameter("0", 0.25);
    EXPECT_NE(core.state().output.masterGain, 0.5f);
    a.adapter->TimerWakeup();
    EXPECT_EQ(core.state().output.masterGain, 0.5f);
}

// The whole module at once, as a busy session uses it: the audio thread
// renders held chords and sends program changes to the program loader, the
// host's main thread automates every parameter and idles (the parameters
// follow the core), and another host thread saves and restores the state.
// From the end of the set-up, ZORVANE_STRESS_SECONDS at least (2 unless set;
// make tsan runs 60) and until each thread has made its rounds.
TEST(AdapterStress, RenderAutomationStateAndProgramsTogether) {
    // What each thread must have done after the set-up, at the least: the
    // state's rounds wait their turn with the loader's programs.
    constexpr int32_t kRounds = 40;
    constexpr int32_t kStateRounds = 5;
    Adapter a;
    BWUniClient& core = *a.adapter->getCore();
    std::string root;
    ASSERT_TRUE(getSettingString("presetpath0", root));
    const std::filesystem::path bank = std::filesystem::path(root) / "MIDI PROGRAMS";
    std::filesystem::create_directories(bank);
    for (int i = 0; i < 3; ++i) {
        a.host.setParameter("51", 0.25 * (i + 1));
        ASSERT_TRUE(core.savePreset((bank / ("S " + std::to_string(i) + ".zvp")).string().c_str(), 0, nullptr, nullptr,
                                    nullptr));
    }
    const std::vector<uint8_t> saved = a.host.saveState();

    std::atomic<bool> done{false};
    std::atomic<int32_t> blocks{0}, programs{0}, saves{0}, restores{0};
    std::thread audio([&] {
        std::vector<float> left(512), right(512);
        float* outputs[2] = {left.data(), right.data()};
        for (int note : {48, 55, 60, 64, 67}) a.host.queueMidi(0, 0x90, uint8_t(note), 100);
        for (int32_t n = 0; !done.load(); n = blocks.fetch_add(1) + 1) {
            if (n % 100 == 99) {
                a.host.queueMidi(7, 0xC0, uint8_t((n / 100) % 3), 0);
                ++programs;
            }
            a.host.runBlock(outputs, 512);
        }
    });
    std::thread chunks([&] {
        for (int round = 0; !done.load(); ++round) {
            if (round % 2 == 0) {
                EXPECT_FALSE(a.host.saveState().empty());
                ++saves;
            } else {
                // As a host restores a state from any thread; the idle that
                // follows stays on the main thread.
                std::vector<uint8_t> record(kChunkHeaderSize + saved.size());
                auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
                chunk->fSize = int32_t(saved.size());
                chunk->fChunkID = BWAAXWrapperParameters::kChunkID;
                std::memcpy(chunkData(chunk), saved.data(), saved.size());
                EXPECT_EQ(a.host.effect()->SetChunk(BWAAXWrapperParameters::kChunkID, chunk), AAX_SUCCESS);
                ++restores;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    uint32_t seed = 1;
    int32_t idles = 0;
    const RunLength run(RunLength::stressSeconds(2));
    const auto enough = [&] {
        return blocks >= kRounds && saves >= kStateRounds && restores >= kStateRounds && idles >= kRounds && programs >= 3;
    };
    for (int round = 0; run.goOn(enough()); ++round) {
        seed = seed * 1664525u + 1013904223u;
        a.host.setParameter(std::to_string(seed % uint32_t(kHostParameterCount)), double(seed >> 8) / double(1 << 24));
        if (round % 64 == 0) {
            a.adapter->TimerWakeup();
            ++idles;
            EXPECT_GE(a.host.parameter("0"), 0.0);
            a.host.parameterText("50");
        }
    }
    done.store(true);
    audio.join();
    chunks.join();
    EXPECT_TRUE(enough()) << "blocks " << blocks << ", saves " << saves << ", restores " << restores << ", idles " << idles
                          << ", program changes " << programs;
}
