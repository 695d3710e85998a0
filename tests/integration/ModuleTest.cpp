// The plug-in as a host sees it: Zorvane.so loaded with dlopen and driven
// through its entry points by the host stand-in.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "aax/AAX_CString.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"
#include "host/Render.h"
#include "ModuleUnderTest.h"
#include "ProgramRuns.h"
#include "support/TempDir.h"

TEST(Module, ExportsTheEntryPointsAndTheMessagePackFunctionsOnly) {
    std::string output;
    ASSERT_EQ(run("nm -D --defined-only " + std::string(ZORVANE_MODULE_PATH), output), 0);
    std::set<std::string> names;
    std::istringstream lines(output);
    for (std::string address, type, name; lines >> address >> type >> name;) names.insert(name);
    const std::set<std::string> entryPoints = {"ACFCanUnloadNow", "ACFGetClassFactory", "ACFGetSDKVersion", "ACFRegisterComponent",
                                               "ACFRegisterPlugin", "ACFShutdown", "ACFStartup"};
    for (const std::string& name : names) {
        const bool messagePack = name.starts_with("msgpack_unpack") || name.starts_with("msgpack_zone_") || name.starts_with("msgpack_object_");
        EXPECT_TRUE(entryPoints.count(name) || messagePack) << name;
    }
    for (const char* name : {"ACFRegisterPlugin", "ACFStartup", "msgpack_unpack", "msgpack_unpack_next", "msgpack_unpacker_new",
                             "msgpack_unpacker_free", "msgpack_zone_new", "msgpack_zone_free", "msgpack_object_print", "msgpack_object_equal"})
        EXPECT_TRUE(names.count(name)) << name;

    void* handle = dlopen(ZORVANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    auto zoneNew = reinterpret_cast<void* (*)(size_t)>(dlsym(handle, "msgpack_zone_new"));
    auto zoneFree = reinterpret_cast<void (*)(void*)>(dlsym(handle, "msgpack_zone_free"));
    ASSERT_TRUE(zoneNew && zoneFree);
    zoneFree(zoneNew(8192));
    dlclose(handle);
}

TEST(Module, EntryPointsAndDescriptionAreWhatTheHostExpects) {
    PluginModule& plugin = module();
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    uint64_t version = 0;
    EXPECT_EQ(plugin.sdkVersion(&version), 0);
    EXPECT_EQ(version, 0x00000204013449EAull);
    IACFUnknown* out = plugin.registrar().unknown();
    EXPECT_EQ(plugin.registerComponent(nullptr, nullptr, &out), 0);
    EXPECT_EQ(out, nullptr);
    void* factory = &version;
    EXPECT_EQ(plugin.getClassFactory(nullptr, nullptr, nullptr, &factory), -20009);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(plugin.startup(plugin.registrar().unknown()), 0);  // a second start-up keeps the first
    EXPECT_EQ(plugin.canUnloadNow(), 0);

    const char* component =
        "    field 1: audio input\n"
        "    field 2: audio output\n"
        "    field 3: audio buffer length\n"
        "    field 0: data-in port, 4 bytes, port type 1\n"
        "    field 6: data-in port, 8 bytes, port type 1\n"
        "    field 4: MIDI node type 0 \"Zorvane\", channel mask 0x1\n"
        "    field 5: MIDI node type 1 \"Zorvane\", channel mask 0xFFFF\n"
        "    native process procedure\n"
        "    property 60 = 1 (0x1)\n";
    const std::string expected = std::string(
                                     "manufacturer \"Brindlewick\"\n"
                                     "package \"Zorvane\"\n"
                                     "effect \"com.brindlewick.aax.Zorvane\"\n"
                                     "  name \"Zorvane\"\n"
                                     "  category 0x800\n"
                                     "  property 11 = 'BrWk'\n"
                                     "  property 12 = 'BWZv'\n"
                                     "  property 60 = 1 (0x1)\n"
                                     "  property 151 = 0 (0x0)\n"
                                     "  creation procedure 0\n"
                                     "  creation procedure 1\n"
                                     "  component 0x1\n") +
                                 component +
                                 "    property 51 = 1 (0x1)\n"
                                 "    property 52 = 1 (0x1)\n"
                                 "    property 13 = 'HMRF'\n"
                                 "  component 0x10002\n" +
                                 component +
                                 "    property 51 = 65538 (0x10002)\n"
                                 "    property 52 = 65538 (0x10002)\n"
                                 "    property 13 = 'HSRF'\n";
    EXPECT_EQ(plugin.registrar().describe(), expected);
    EXPECT_TRUE(plugin.registrar().asserts.empty());
}

// A host at a rate the instrument cannot play hears why it plays out of
// tune: the instance keeps its own rate and says so through the host's
// trace; at a rate it plays, nothing is said.
TEST(Module, ARateItCannotPlayIsTraced) {
    std::vector<std::string>& traces = module().registrar().traces;
    for (float rate : {8000.0f, 384000.0f, 192000.0f}) {
        const size_t before = traces.size();
        HostInstance instance(module().effect(), 2, rate);
        ASSERT_TRUE(instance.ok());
        std::string said;
        for (size_t i = before; i < traces.size(); ++i) said += traces[i] + "\n";
        if (rate == 192000.0f) {
            EXPECT_EQ(said, "") << rate;
            continue;
        }
        EXPECT_NE(said.find("the host's sample rate of " + std::to_string(int(rate)) +
                            " Hz is outside the rates Zorvane plays (11050 to 196000 Hz): it plays at 44100 Hz instead"),
                  std::string::npos)
            << said;
    }
}

TEST(Module, EightyEightParametersWithTheirIdsDefaultsStepsAndTexts) {
    HostInstance instance(module().effect(), 2, 44100.0f);
    ASSERT_TRUE(instance.ok());
    int32_t count = 0;
    instance.effect()->GetNumberOfParameters(&count);
    ASSERT_EQ(count, 88);
    const struct {
        int32_t index;
        const char* id;
        const char* name;
        int32_t steps;
        const char* text;
    } rows[] = {
        {0, "MasterBypassID", "Master Bypass", 2, "bypass"},
        {1, "0", "MasterLevel", 2147483647, "50.98%"},
        {6, "5", "Kick2Sidechain", 2, "Off"},
        {11, "10", "Osc1 Octave", 2147483647, "75.00%"},
        {87, "86", "Dly Feed 16", 2147483647, "19.98%"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(instance.parameterID(row.index), row.id);
        AAX_CString name;
        instance.effect()->GetParameterName(row.id, &name);
        EXPECT_STREQ(name.Get(), row.name);
        int32_t steps = 0;
        instance.effect()->GetParameterNumberOfSteps(row.id, &steps);
        EXPECT_EQ(steps, row.steps) << row.id;
        EXPECT_EQ(instance.parameterText(row.id), row.text);
    }
    // Every default is the core's value at the time, and so is every value.
    for (int32_t i = 0; i < count; ++i) {
        const std::string id = instance.parameterID(i);
        EXPECT_EQ(id, i == 0 ? "MasterBypassID" : std::to_string(i - 1));
        double defaultValue = -1;
        instance.effect()->GetParameterDefaultNormalizedValue(id.c_str(), &defaultValue);
        EXPECT_EQ(defaultValue, instance.parameter(id)) << id;
    }
}

TEST(Module, MonoAndStereoPlayTheMidiInAsGeneratedNotesAndStateMovesByteForByte) {
    std::vector<std::pair<int64_t, AAX_CMidiPacket>> notes[2];
    for (int channels : {1, 2}) {
        HostInstance instance(module().effect(), channels, 48000.0f);
        ASSERT_TRUE(instance.ok());
        ASSERT_EQ(instance.loadState(demoState()), 0);
        RenderSettings settings;
        settings.seconds = 0.5;
        settings.rate = 48000.0f;
        settings.nanFill = true;
        settings.block = 300;
        RenderResult result;
        renderEvents(instance, builtInPhrase(), settings, result);
        ASSERT_EQ(result.channels.size(), size_t(channels));
        for (const auto& channel : result.channels)
            for (float sample : channel) ASSERT_TRUE(std::isfinite(sample)) << channels;
        notes[channels - 1] = result.midiOut;
    }
    // The held chord comes back as a sequence of notes: four bytes each, on
    // the same samples whatever the channel format.
    ASSERT_GE(notes[0].size(), 4u);
    ASSERT_EQ(notes[0].size(), notes[1].size());
    int noteOns = 0;
    for (size_t i = 0; i < notes[0].size(); ++i) {
        EXPECT_EQ(notes[0][i].first, notes[1][i].first);
        EXPECT_EQ(notes[0][i].second.mLength, 4u);
        EXPECT_EQ(notes[0][i].second.mData[1], notes[1][i].second.mData[1]);
        noteOns += (notes[0][i].second.mData[0] & 0xF0) == 0x90;
    }
    EXPECT_GT(noteOns, 1);
    HostInstance a(module().effect(), 2, 44100.0f), b(module().effect(), 2, 44100.0f);
    for (const char* id : {"0", "12", "40", "86"}) a.setParameter(id, 0.3125);
    const std::vector<uint8_t> saved = a.saveState();
    ASSERT_FALSE(saved.empty());
    EXPECT_NE(b.saveState(), saved);
    ASSERT_EQ(b.loadState(saved), 0);
    EXPECT_EQ(b.saveState(), saved);
    EXPECT_FLOAT_EQ(float(b.parameter("40")), 0.3125f);  // the host list follows the loaded state
}

TEST(Module, AHundredInstancesComeAndGoAndTheModuleMayUnload) {
    ASSERT_TRUE(module().loaded());
    std::vector<std::unique_ptr<HostInstance>> instances;
    for (int i = 0; i < 100; ++i) {
        instances.push_back(std::make_unique<HostInstance>(module().effect(), 1 + i % 2, 44100.0f));
        ASSERT_TRUE(instances.back()->ok());
        if (i % 10 == 0) instances.back()->openView(nullptr);
        if (i % 3 == 0) instances.erase(instances.begin());
    }
    EXPECT_GT(module().canUnloadNow(), 0);
    instances.clear();
    EXPECT_EQ(module().canUnloadNow(), 0);
}

// Every instance the module makes has the interface's editor: its view
// answers the design size and idles, also after the editor was opened.
TEST(Module, InstancesCarryTheEditorOfTheDesignSize) {
    HostInstance instance(module().effect(), 2, 44100.0f);
    using CreateProc = IACFUnknown* (*)();
    auto create = reinterpret_cast<CreateProc>(module().effect().procedure(1));
    ASSERT_NE(create, nullptr);
    IACFUnknown* made = create();
    void* out = nullptr;
    ASSERT_EQ(made->QueryInterface(IID_IACFEffectGUI, &out), ACF_OK);
    auto* gui = static_cast<AAX_IACFEffectGUI*>(out);
    gui->Initialize(static_cast<AAX_IACFController*>(&instance));
    EXPECT_EQ(gui->SetViewContainer(&instance.viewContainer), AAX_SUCCESS);
    AAX_Point size{};
    ASSERT_EQ(gui->GetViewSize(&size), AAX_SUCCESS);
    EXPECT_EQ(size.horz, 960.0f);
    EXPECT_EQ(size.vert, 697.0f);
    EXPECT_EQ(gui->TimerWakeup(), AAX_SUCCESS);
    gui->SetViewContainer(nullptr);
    gui->Uninitialize();
    gui->Release();
}
